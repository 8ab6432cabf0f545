#include "settings/SettingsStore.h"

#include "support/textforms.h"

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
    QString stored = storedKey(key);
    if (stored.isEmpty())
        stored = key;
    m_settings->setValue(kSection + QLatin1Char('/') + stored, value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
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
