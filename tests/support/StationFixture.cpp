#include "StationFixture.h"

#include <QDir>
#include <QFile>

namespace fw::test {

StationFixture::StationFixture()
    : clock(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)))
{
    m_dir.setAutoRemove(true);
    m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("settings/QX05.ini")));
    QDir(m_dir.path()).mkpath(QStringLiteral("station"));
}

QString StationFixture::stationFolder() const
{
    return m_dir.filePath(QStringLiteral("station"));
}

QString StationFixture::path(const QString& relative) const
{
    return m_dir.filePath(relative);
}

QString StationFixture::makeFolder(const QString& relative) const
{
    QDir(m_dir.path()).mkpath(relative);
    return m_dir.filePath(relative);
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace fw::test
