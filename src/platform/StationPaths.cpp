#include "platform/StationPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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
    : m_station(QDir::toNativeSeparators(QDir::cleanPath(stationFolder)))
{
}

StationPaths StationPaths::forThisInstall()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (!exeFolder.isEmpty() && folderIsWritable(exeFolder))
        return StationPaths(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/Farwater");
    ensureFolder(data);
    return StationPaths(data);
}

QString StationPaths::exchangeFolder() const
{
#ifdef Q_OS_WIN
    if (m_station.size() >= 2 && m_station[1] == QLatin1Char(':'))
        return m_station.left(2) + QStringLiteral("\\qxio");
    return QStringLiteral("C:\\qxio");
#else
    return joined(m_station, QStringLiteral("qxio"));
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
