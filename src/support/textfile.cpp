#include "support/textfile.h"

#include "support/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace fw {

QString joinPath(const QString& folder, const QString& fileName)
{
    QString base = folder;
    if (base.endsWith(QLatin1Char('\\')) || base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QDir::separator() + fileName;
}

QByteArray encodeLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

Result<QString> readTextFile(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return Result<QString>::failure(
            QStringLiteral("could not read %1: it is a folder").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(
            QStringLiteral("could not read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(
            QStringLiteral("could not read %1: %2").arg(path, file.errorString()));
    return QString::fromLatin1(bytes);
}

Outcome appendLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return Outcome::failure(
            QStringLiteral("Could not write to %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = encodeLines(lines);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!written)
        return Outcome::failure(QStringLiteral("Could not write to %1: %2").arg(path, reason));
    return Outcome::success();
}

Outcome replaceFile(const QString& path, const QByteArray& contents)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::failure(
            QStringLiteral("Could not write to %1: %2").arg(path, file.errorString()));
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Outcome::failure(QStringLiteral("Could not write to %1: %2").arg(path, reason));
    }
    if (!file.commit())
        return Outcome::failure(
            QStringLiteral("Could not write to %1: %2").arg(path, file.errorString()));
    return Outcome::success();
}

Outcome replaceFileLines(const QString& path, const QStringList& lines)
{
    return replaceFile(path, encodeLines(lines));
}

bool appendReported(Dialogs& dialogs, const QString& path, const QStringList& lines)
{
    const Outcome written = appendLines(path, lines);
    if (!written)
        dialogs.message(written.message(), QString(), DialogIcon::Critical);
    return written.ok();
}

} // namespace fw
