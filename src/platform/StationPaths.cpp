#include "platform/StationPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <utility>

namespace fw {

namespace {

bool folderIsWritable(const QString& folder)
{
    // Ask the file system rather than the permission bits: a folder under Program Files or
    // /usr/bin may look writable to an administrator's token and still refuse files.
    QTemporaryFile probe(folder + QStringLiteral("/.farwater-write-test-XXXXXX"));
    return probe.open();
}

QString joined(const QString& folder, const QString& fileName)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + fileName);
}

} // namespace

StationPaths::StationPaths(QString stationFolder)
    : m_station(QDir::toNativeSeparators(QDir::cleanPath(stationFolder))),
      m_exchange(joined(m_station, QStringLiteral("qxio")))
{
}

StationPaths StationPaths::installedAt(QString stationFolder)
{
    StationPaths paths(std::move(stationFolder));
#ifdef Q_OS_WIN
    const QString& station = paths.m_station;
    paths.m_exchange = station.size() >= 2 && station[1] == QLatin1Char(':')
                           ? station.left(2) + QStringLiteral("\\qxio")
                           : QStringLiteral("C:\\qxio");
#endif
    return paths;
}

StationPaths StationPaths::forThisInstall()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (!exeFolder.isEmpty() && !isSystemProgramFolder(exeFolder) && folderIsWritable(exeFolder))
        return installedAt(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/Farwater");
    ensureFolder(data);
    return installedAt(data);
}

bool StationPaths::isSystemProgramFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    // A package puts the programs under /usr; a station run there by root would otherwise fill
    // /usr/bin with pictures and exchange files.
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    for (const char* system : {"/usr", "/bin", "/sbin"}) {
        const QString root = QString::fromLatin1(system);
        if (path == root || path.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

QString StationPaths::inStation(const QString& fileName) const
{
    return joined(m_station, fileName);
}

QString StationPaths::inExchange(const QString& fileName) const
{
    return joined(QDir::fromNativeSeparators(exchangeFolder()), fileName);
}

QString StationPaths::magnifierProgram() const
{
#ifdef Q_OS_WIN
    return inStation(QStringLiteral("Loupe\\Loupe.exe"));
#else
    return inStation(QStringLiteral("Loupe/Loupe"));
#endif
}

bool StationPaths::ensureFolder(const QString& folder)
{
    return !folder.isEmpty() && QDir().mkpath(folder);
}

} // namespace fw
