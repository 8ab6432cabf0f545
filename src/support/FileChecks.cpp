#include "support/FileChecks.h"

#include "support/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace fw {

namespace {

bool driveExists(const QString& path)
{
    // A drive is the root of a mounted volume: "C:" or "C:\" on Windows, "/" or a mount point
    // elsewhere.
    if (path.isEmpty())
        return false;
    auto asRoot = [](QString p) {
        p = QDir::fromNativeSeparators(p);
        if (!p.endsWith(QLatin1Char('/')))
            p += QLatin1Char('/');
        return p;
    };
    const QString wanted = asRoot(path);
    const QStorageInfo volume(wanted);
    return volume.isValid() && volume.isReady() &&
           asRoot(volume.rootPath()).compare(wanted, Qt::CaseInsensitive) == 0;
}

} // namespace

bool PathExists(const QString& path, int kind)
{
    if (path.isEmpty())
        return false;
    switch (kind) {
    case int(PathKind::File):
        return QFileInfo(path).isFile();
    case int(PathKind::Folder):
        return QFileInfo(path).isDir();
    case int(PathKind::Drive):
        return driveExists(path);
    default:
        return false;
    }
}

bool FilePresent(const QString& path)
{
    // A folder has no length to ask for.
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool IsAviFile(const QString& path, Dialogs& dialogs)
{
    if (!FilePresent(path)) {
        dialogs.message(QStringLiteral("File does not exist:\r\n") + path, QString(),
                        DialogIcon::Critical);
        return false;
    }
    QFile file(path);
    const QFileInfo info(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // The file is there (checked above); a regular file that will not open for reading is
        // denied to us: by its permissions, or held exclusively by another program.
        if (info.isFile())
            dialogs.message(QStringLiteral("File is locked - cannot access:\r\n") + path, QString(),
                            DialogIcon::Critical);
        else
            dialogs.message(file.errorString(), QString(), DialogIcon::Information);
        return false;
    }
    const QByteArray head = file.read(12);
    if (file.error() != QFileDevice::NoError) {
        dialogs.message(file.errorString(), QString(), DialogIcon::Information);
        return false;
    }
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "AVI ";
}

QString SaveFileDialog(Dialogs& dialogs, const QString& initialPath, int filterKind)
{
    FileDialogRequest request;
    const qsizetype cut = std::max(initialPath.lastIndexOf(QLatin1Char('\\')),
                                   initialPath.lastIndexOf(QLatin1Char('/')));
    request.folder = cut >= 0 ? initialPath.left(cut) : QString();
    if (filterKind == 0) {
        request.filter = QStringLiteral("All Supported Types|*.bmp;*.jpg;*.pic|BMP Files|*.bmp|"
                                        "JPEG Files|*.jpg|ePIC Files|*.pic");
        request.defaultSuffix = QStringLiteral("jpg");
    }
    const std::optional<QString> chosen = dialogs.saveFile(request);
    return chosen && !chosen->isEmpty() ? *chosen : initialPath;
}

} // namespace fw
