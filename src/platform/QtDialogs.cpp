#include "platform/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace fw {

namespace {

QString titleOrDefault(const QString& title)
{
    return title.isEmpty() ? applicationTitle() : title;
}

QMessageBox::StandardButton standardButton(DialogAnswer answer)
{
    switch (answer) {
    case DialogAnswer::Ok: return QMessageBox::Ok;
    case DialogAnswer::Cancel: return QMessageBox::Cancel;
    case DialogAnswer::Yes: return QMessageBox::Yes;
    case DialogAnswer::No: return QMessageBox::No;
    case DialogAnswer::Retry: return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

} // namespace

QStringList qtNameFilters(const QString& stationFilter)
{
    QStringList parts = stationFilter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // Qt reads the patterns from the last parentheses: drop the ones in the description.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns.trimmed() == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.trimmed());
    }
    return filters;
}

DialogAnswer QtDialogs::message(const QString& text, const QString& title, DialogIcon icon,
                                DialogButtons buttons, std::optional<DialogAnswer> defaultButton)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(titleOrDefault(title));
    box.setText(text);
    switch (icon) {
    case DialogIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case DialogIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case DialogIcon::Question: box.setIcon(QMessageBox::Question); break;
    case DialogIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case DialogIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    QMessageBox::StandardButtons set;
    DialogAnswer first = DialogAnswer::Ok;
    switch (buttons) {
    case DialogButtons::Ok: set = QMessageBox::Ok; first = DialogAnswer::Ok; break;
    case DialogButtons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        first = DialogAnswer::Ok;
        break;
    case DialogButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        first = DialogAnswer::Yes;
        break;
    case DialogButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = DialogAnswer::Yes;
        break;
    case DialogButtons::RetryCancel:
        set = QMessageBox::Retry | QMessageBox::Cancel;
        first = DialogAnswer::Retry;
        break;
    }
    box.setStandardButtons(set);
    box.setDefaultButton(standardButton(defaultButton.value_or(first)));
    switch (box.exec()) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    case QMessageBox::Retry: return DialogAnswer::Retry;
    case QMessageBox::Ok: return DialogAnswer::Ok;
    default:
        // Closed with Esc or the window's close box: the escape button's answer.
        return buttons == DialogButtons::YesNo ? DialogAnswer::No
               : buttons == DialogButtons::Ok  ? DialogAnswer::Ok
                                               : DialogAnswer::Cancel;
    }
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, titleOrDefault(title), prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

namespace {

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptSave);
}

} // namespace fw
