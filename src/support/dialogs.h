#pragma once

// Every message box, input box and file dialog of the station goes through this interface, so
// that the screens can be driven by tests with scripted answers.

#include <QString>

#include <optional>

namespace fw {

enum class DialogIcon { None = 1, Critical, Question, Exclamation, Information };
enum class DialogButtons { Ok = 1, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class DialogAnswer { Ok = 1, Cancel, Yes, No, Retry };

// A file dialog: the filter is given in the station's own form, pairs of description and
// pattern separated by "|" ("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|"), and filterIndex
// (from 1) names the entry selected at the start.
struct FileDialogRequest {
    QString title;
    QString folder;
    QString filter;
    int filterIndex = 1;
    QString defaultSuffix;
};

// The application's title, shown by a message box without a title of its own.
inline QString applicationTitle()
{
    return QStringLiteral("Farwater 2005");
}

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An empty title shows the application's title. The default button is the first of the
    // buttons unless given.
    virtual DialogAnswer message(const QString& text, const QString& title = QString(),
                                 DialogIcon icon = DialogIcon::None,
                                 DialogButtons buttons = DialogButtons::Ok,
                                 std::optional<DialogAnswer> defaultButton = std::nullopt) = 0;

    // No value means Cancel.
    virtual std::optional<QString> input(const QString& prompt, const QString& title = QString(),
                                         const QString& defaultText = QString()) = 0;

    // The chosen path, or none when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
};

} // namespace fw
