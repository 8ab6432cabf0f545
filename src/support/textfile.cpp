#include "support/textfile.h"

#include "support/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <filesystem>
#include <optional>
#include <system_error>

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

namespace {

const QString kTemporarySuffix = QStringLiteral(".fwsave");

QString writeFault(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not write to %1: %2").arg(path, reason);
}

// The system's reason for the last failure on the file; a short write with no error behind it
// (the system gave up without saying why) still gets words.
QString reasonOf(const QFileDevice& file)
{
    const QString reason = file.error() == QFileDevice::NoError ? QString() : file.errorString();
    return reason.isEmpty() ? QStringLiteral("the file was not written whole") : reason;
}

// Writes every byte or says why not. A short write is followed by another for the rest, which
// either goes through or fails with the system's reason ("No space left on device"). The file is
// open unbuffered, so what is written here has reached the file system when this returns.
std::optional<QString> writeEvery(QFileDevice& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return reasonOf(file);
        done += n;
    }
    if (!file.flush())
        return reasonOf(file);
    return std::nullopt;
}

bool isTemporaryName(const QString& name)
{
    // "<file>.fwsave", or the save file's own "<file>.fwsave.XXXXXX" from a write cut short.
    if (name.endsWith(kTemporarySuffix))
        return true;
    const qsizetype at = name.lastIndexOf(kTemporarySuffix + QLatin1Char('.'));
    return at > 0 && at + kTemporarySuffix.size() + 1 + 6 == name.size();
}

// "<file>.XXXXXX": the name Qt gives the temporary file of a replacement of <file>.
bool isSaveFileOf(const QString& name, const QString& target)
{
    if (name.size() != target.size() + 7 || !name.startsWith(target + QLatin1Char('.')))
        return false;
    for (qsizetype i = target.size() + 1; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) &&
            !(c >= QLatin1Char('A') && c <= QLatin1Char('Z')) &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    return true;
}

} // namespace

Outcome appendLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return Outcome::failure(writeFault(path, QStringLiteral("it is a folder")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return Outcome::failure(writeFault(path, file.errorString()));
    const qint64 before = file.size();
    const std::optional<QString> failed = writeEvery(file, encodeLines(lines));
    if (!failed)
        return Outcome::success();
    // All or nothing: a part of an entry would be read as a whole one (or fused with the next
    // entry), so the file is cut back to what it held before.
    QString message = writeFault(path, *failed);
    if (file.size() != before && !file.resize(before))
        message += QStringLiteral("\r\nPart of the entry stays at the end of the file: %1")
                       .arg(file.errorString());
    return Outcome::failure(message);
}

Result<QString> writeBeside(const QString& path, const QByteArray& contents)
{
    const QString temporary = path + kTemporarySuffix;
    if (QFileInfo(path).isDir())
        return Result<QString>::failure(writeFault(path, QStringLiteral("it is a folder")));
    // The save file writes through a file of its own and renames it only once its contents are
    // synced to the disk; its final flush is made here, where a failure can still be seen.
    QSaveFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result<QString>::failure(writeFault(path, file.errorString()));
    if (const std::optional<QString> failed = writeEvery(file, contents)) {
        file.cancelWriting();
        return Result<QString>::failure(writeFault(path, *failed));
    }
    if (!file.commit())
        return Result<QString>::failure(writeFault(path, reasonOf(file)));
    return temporary;
}

Outcome moveOver(const QString& temporary, const QString& path)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (!error)
        return Outcome::success();
    QFile::remove(temporary);
    return Outcome::failure(writeFault(path, QString::fromLocal8Bit(error.message())));
}

Outcome replaceFile(const QString& path, const QByteArray& contents)
{
    const Result<QString> temporary = writeBeside(path, contents);
    if (!temporary)
        return Outcome::failure(temporary.message());
    return moveOver(*temporary, path);
}

Outcome checkRoomFor(const QString& path, qint64 bytes)
{
    QFile probe(path + kTemporarySuffix);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return Outcome::failure(writeFault(path, probe.errorString()));
    const std::optional<QString> failed = writeEvery(probe, QByteArray(qsizetype(bytes), ' '));
    probe.close();
    probe.remove();
    if (failed)
        return Outcome::failure(writeFault(path, *failed));
    return Outcome::success();
}

int removeLeftoverFiles(const QStringList& folders, const QStringList& savedFiles)
{
    int removed = 0;
    for (const QString& folder : folders) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
            if (isTemporaryName(name) && QFile::remove(dir.filePath(name)))
                ++removed;
        }
    }
    for (const QString& saved : savedFiles) {
        const QFileInfo info(saved);
        if (saved.isEmpty() || !info.dir().exists())
            continue;
        const QDir dir = info.dir();
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
            if (isSaveFileOf(name, info.fileName()) && QFile::remove(dir.filePath(name)))
                ++removed;
        }
        // A lock whose holder is gone is taken over and let go, which removes it; a lock that a
        // running program holds stays.
        const QString lockPath = saved + QStringLiteral(".lock");
        if (QFileInfo::exists(lockPath)) {
            QLockFile lock(lockPath);
            qint64 pid = 0;
            QString host, application;
            // A program killed while it created the lock leaves it empty or cut short; Qt would
            // wait for such a lock to grow old before taking it over.
            if (!lock.getLockInfo(&pid, &host, &application)) {
                if (QFile::remove(lockPath))
                    ++removed;
            } else if (lock.tryLock(0)) {
                lock.unlock();
                ++removed;
            }
        }
    }
    return removed;
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
