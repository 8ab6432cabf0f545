#include "settings/SettingsStore.h"

#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <QSettings>
#include <QStringList>

#include <cmath>
#include <limits>

namespace fw {

namespace {
const QString kApplication = QStringLiteral("QX05");
const QString kSection = QStringLiteral("Settings");
} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             kApplication, kApplication))
{
}

SettingsStore::SettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::filePath() const
{
    return m_settings->fileName();
}

QString SettingsStore::storedKey(const QString& key) const
{
    m_settings->beginGroup(kSection);
    const QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    for (const QString& stored : keys) {
        if (stored.compare(key, Qt::CaseInsensitive) == 0)
            return stored;
    }
    return QString();
}

bool SettingsStore::contains(const QString& key) const
{
    return !storedKey(key).isEmpty();
}

QString SettingsStore::read(const QString& key, const QString& defaultText) const
{
    const QString stored = storedKey(key);
    if (stored.isEmpty())
        return defaultText;
    const QVariant value = m_settings->value(kSection + QLatin1Char('/') + stored);
    if (!value.isValid())
        return defaultText;
    // A value written by hand as a list ("a, b") comes back as a list: join it as it stood.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingsStore::write(const QString& key, const QString& value)
{
    const bool written = writeValue(key, value);
    if (written) {
        m_failureReported = false;
    } else if (!m_failureReported && m_reportFailure) {
        m_failureReported = true;
        m_reportFailure(m_lastFailure);
    }
    return written;
}

bool SettingsStore::writeValue(const QString& key, const QString& value)
{
    m_lastFailure.clear();
    QString stored = storedKey(key);
    if (stored.isEmpty())
        stored = key;
    const QString path = m_settings->fileName();
    QFile file(path);
    const bool existed = file.exists();
    QByteArray before;
    if (existed && file.open(QIODevice::ReadOnly))
        before = file.readAll();
    file.close();

    // The settings file is replaced whole at every write, and Qt reports success even when the
    // disk took only part of it: every setting would be lost. So room for the new file is made
    // sure of first (the value may grow by escapes), and the file is checked afterwards.
    QDir().mkpath(QFileInfo(path).absolutePath());
    const qint64 room = before.size() + 64 + 4 * (stored.size() + value.toUtf8().size());
    if (const Outcome free = checkRoomFor(path, room); !free) {
        m_lastFailure = free.message();
        return false;
    }
    m_settings->setValue(kSection + QLatin1Char('/') + stored, value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        m_lastFailure = QStringLiteral("Could not write to %1: the settings file could not be "
                                       "written")
                            .arg(path);
        return false;
    }
    if (fileHoldsEveryKey(path))
        return true;
    // Put the earlier file back and read it again, so that memory and disk agree.
    m_lastFailure = QStringLiteral("Could not write to %1: the settings file was not written "
                                   "whole")
                        .arg(path);
    if (existed) {
        if (const Outcome restored = replaceFile(path, before); !restored)
            m_lastFailure += QStringLiteral("\r\n") + restored.message();
    } else {
        QFile::remove(path);
    }
    m_settings->sync();
    return false;
}

bool SettingsStore::fileHoldsEveryKey(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith('\n'))
        return false;
    QSet<QString> written;
    QString section;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString name = QString::fromUtf8(line.left(equals).trimmed());
        written.insert(section == QLatin1String("General") ? name
                                                           : section + QLatin1Char('/') + name);
    }
    // Keys Qt writes as they are; others it escapes, and a cut file misses its last key anyway.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.-]+(/[A-Za-z0-9_.-]+)?$"));
    const QStringList keys = m_settings->allKeys();
    for (const QString& key : keys) {
        if (plain.match(key).hasMatch() && !written.contains(key))
            return false;
    }
    return true;
}

int SettingsStore::readInt(const QString& key, int defaultValue) const
{
    const std::optional<double> v = parseNumber(read(key, QString()));
    if (!v || *v > std::numeric_limits<int>::max() || *v < std::numeric_limits<int>::min())
        return defaultValue;
    return int(std::lround(*v));
}

double SettingsStore::readDouble(const QString& key, double defaultValue) const
{
    const std::optional<double> v = parseNumber(read(key, QString()));
    return v ? *v : defaultValue;
}

bool SettingsStore::readBool(const QString& key, bool defaultValue) const
{
    const QString text = read(key, QString()).trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> v = parseNumber(text);
    return v ? *v != 0.0 : defaultValue;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString intText(int value)
{
    return QString::number(value);
}

} // namespace fw
