#include "measure/SkierNames.h"

#include "support/FieldReader.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace fw {

namespace {

// A list prepared in another editor may be UTF-8 (with or without a byte order mark); the
// station's files are Latin-1, so such a file is converted rather than copied as mojibake.
QString decodeImported(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

QString refused(const QString& why)
{
    return QStringLiteral("The skier names were not imported: %1").arg(why);
}

} // namespace

QString charactersOutsideLatin1(const QString& name)
{
    QString found;
    for (qsizetype i = 0; i < name.size(); ++i) {
        // A character outside the basic plane is a surrogate pair: keep the pair together.
        const qsizetype length = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString character = name.mid(i, length);
        i += length - 1;
        if (length == 1 && character[0].unicode() <= 0xFF)
            continue;
        if (!found.contains(character))
            found += character;
    }
    return found;
}

QString unstorableNameMessage(const QString& name)
{
    const QString found = charactersOutsideLatin1(name);
    if (found.isEmpty())
        return QString();
    QStringList each;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const qsizetype length = found[i].isHighSurrogate() && i + 1 < found.size() ? 2 : 1;
        each << found.mid(i, length);
        i += length - 1;
    }
    return QStringLiteral(
               "The skier name \"%1\" has characters that the results file and the "
               "scoring program's files cannot hold: %2. They are written as \"?\" there. "
               "Retype the name with other letters if the results must show it.")
        .arg(name, each.join(QLatin1Char(' ')));
}

QStringList textLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

Result<QStringList> readSkierList(const QString& path)
{
    const Result<QString> text = readTextFile(path);
    if (!text)
        return Result<QStringList>::failure(text.message());
    QStringList names;
    for (const QString& line : textLines(*text)) {
        if (!line.isEmpty())
            names << replaceCommas(line);
    }
    return names;
}

std::optional<QString> defaultSkierName(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return noSkierName();
    const Result<QString> text = readTextFile(path);
    if (!text)
        return noSkierName();
    const QStringList lines = textLines(*text);
    if (lines.isEmpty() || lines.first().isEmpty())
        return std::nullopt;
    return replaceCommas(lines.first());
}

Result<QString> readWstimsSkierName(const QString& path)
{
    const QString prefix = QStringLiteral("Error while reading WSTIMS name file: ");
    const Result<QString> text = readTextFile(path);
    if (!text)
        return Result<QString>::failure(prefix + text.message());
    FieldReader reader(*text);
    const std::optional<QString> name = reader.nextField();
    if (!name)
        return Result<QString>::failure(
            prefix + QStringLiteral("%1 is empty").arg(QDir::toNativeSeparators(path)));
    return *name;
}

Result<std::optional<QString>> importSkierNames(const QString& chosenFile,
                                                const QString& skierNamesPath)
{
    using R = Result<std::optional<QString>>;
    const QString shown = QDir::toNativeSeparators(chosenFile);
    if (chosenFile.isEmpty())
        return R::failure(refused(QStringLiteral("no file was chosen")));
    if (QFileInfo(chosenFile).isDir())
        return R::failure(refused(QStringLiteral("could not read %1: it is a folder").arg(shown)));
    QFile file(chosenFile);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(
            refused(QStringLiteral("could not read %1: %2").arg(shown, file.errorString())));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return R::failure(
            refused(QStringLiteral("could not read %1: %2").arg(shown, file.errorString())));
    file.close();

    const QString text = decodeImported(bytes);
    if (text.trimmed().isEmpty())
        return R::failure(refused(QStringLiteral("%1 holds no names").arg(shown)));
    if (text.trimmed().startsWith(QStringLiteral("{\\rtf")))
        return R::failure(refused(
            QStringLiteral(
                "%1 is a rich-text document. Save it as plain text, one skier per line, and import "
                "that file.")
                .arg(shown)));
    if (text.contains(QChar(0)))
        return R::failure(
            refused(QStringLiteral(
                        "%1 is not a text file. Choose a plain text file with one skier per line.")
                        .arg(shown)));

    const QStringList lines = textLines(text);
    const Outcome written = replaceFileLines(skierNamesPath, lines);
    if (!written)
        return R::failure(refused(written.message()));
    if (lines.first().isEmpty())
        return R(std::optional<QString>());
    return R(std::optional<QString>(replaceCommas(lines.first())));
}

std::optional<QString> importSkierNamesFile(Dialogs& dialogs, const QString& stationFolder)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Import Skier Names File");
    request.folder = stationFolder;
    request.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    request.filterIndex = 1;
    const std::optional<QString> chosen = dialogs.openFile(request);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    const QString target =
        QDir::toNativeSeparators(QDir(stationFolder).filePath(skierNamesFileName()));
    const Result<std::optional<QString>> imported = importSkierNames(*chosen, target);
    if (!imported) {
        dialogs.message(imported.message(), QString(), DialogIcon::Exclamation);
        return std::nullopt;
    }
    return *imported;
}

} // namespace fw
