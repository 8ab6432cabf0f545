#pragma once

#include "support/dialogs.h"

class QWidget;

namespace fw {

// The operator's dialogs: QMessageBox, QInputDialog and QFileDialog, modal over a parent window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    DialogAnswer message(const QString& text, const QString& title, DialogIcon icon,
                         DialogButtons buttons,
                         std::optional<DialogAnswer> defaultButton) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;

private:
    QWidget* m_parent = nullptr;
};

// Turns the station's filter text ("Text Files (*.TXT)|*.TXT|...") into Qt's name filters, and
// gives the entry at filterIndex (from 1) as the selected one.
QStringList qtNameFilters(const QString& stationFilter);

} // namespace fw
