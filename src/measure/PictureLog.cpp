#include "measure/PictureLog.h"

#include "measure/SkierNames.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>
#include <QFileInfo>

namespace fw {

namespace {
QString withoutBlanks(QString text)
{
    while (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}
} // namespace

QString pictureFileName(const QString& skier, const QString& jumpNumber)
{
    return fileNamePart(skier) + QStringLiteral("jump") + withoutBlanks(jumpNumber) +
           QStringLiteral(".bmp");
}

QString picturePath(const QString& picturesFolder, const QString& fileName)
{
    if (picturesFolder.isEmpty() || picturesFolder.endsWith(QLatin1Char('/')) ||
        picturesFolder.endsWith(QLatin1Char('\\')))
        return picturesFolder + fileName;
    return picturesFolder + QDir::separator() + fileName;
}

QString pictureInfoPath(const QString& picturePath)
{
    return picturePath + QStringLiteral(".info");
}

QString unusedPicturePath(const QString& path)
{
    const auto taken = [](const QString& candidate) {
        return QFileInfo::exists(candidate) || QFileInfo::exists(pictureInfoPath(candidate));
    };
    if (!taken(path))
        return path;
    const QString extension = QStringLiteral(".bmp");
    const QString stem =
        path.endsWith(extension, Qt::CaseInsensitive) ? path.chopped(extension.size()) : path;
    for (int n = 2; n < 10000; ++n) {
        const QString candidate = stem + QLatin1Char('_') + QString::number(n) + extension;
        if (!taken(candidate))
            return candidate;
    }
    return QString();
}

QString pictureInfoLine(const QString& picturePath, const QString& captureSkier,
                        const QString& passNumber)
{
    return picturePath + QStringLiteral(", ") + captureSkier + QStringLiteral(", ") + passNumber;
}

Outcome writePictureInfo(const QString& picturePath, const QString& captureSkier,
                         const QString& passNumber)
{
    return replaceFileLines(pictureInfoPath(picturePath),
                            {pictureInfoLine(picturePath, captureSkier, passNumber)});
}

QString savedPictureLine(const QString& date, const QString& time, const QString& path)
{
    return date + QLatin1Char(' ') + time + QStringLiteral(" Saved picture: ") + path;
}

QString loadedPictureLine(const QString& date, const QString& time, const QString& path)
{
    return date + QLatin1Char(' ') + time + QStringLiteral(" Loaded picture: ") + path;
}

QStringList pictureLogItems(const QString& date, const QString& time, const QString& captureSkier,
                            const QString& passNumber, const QString& distanceText,
                            const QString& picturePath)
{
    return {date,
            time,
            QStringLiteral("Skier: ") + captureSkier,
            QStringLiteral("Jump: ") + leadingSpace(entryNumber(passNumber) - 1),
            QStringLiteral("Distance: ") + distanceText,
            QStringLiteral("File: ") + picturePath};
}

Result<QStringList> readPictureLogLines(const QString& logPath)
{
    const Result<QString> text = readTextFile(logPath);
    if (!text)
        return Result<QStringList>::failure(text.message());
    QStringList lines;
    for (const QString& line : textLines(*text)) {
        if (line.endsWith(QStringLiteral("bmp")))
            lines << line;
    }
    return lines;
}

std::optional<QString> pathInLogLine(const QString& line)
{
    const qsizetype at = line.indexOf(QStringLiteral("File:"));
    if (at < 0)
        return std::nullopt;
    return line.mid(at + 6);
}

} // namespace fw
