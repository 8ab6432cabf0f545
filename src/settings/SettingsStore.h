#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSettings;

namespace fw {

// The station's per-user persistent settings: application "QX05", section "Settings". Every
// value is text; key names are compared without regard to case; each write reaches the disk at
// once; a read never fails and gives the default when the key is absent or the store unreadable.
class SettingsStore {
public:
    // The operator's own store (one per operating-system user).
    SettingsStore();
    // A store kept in the given file (tests and portable installs).
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString filePath() const;

    QString read(const QString& key, const QString& defaultText) const;
    bool contains(const QString& key) const;

    // Writes the value and syncs it to disk. False when the store could not be written: then the
    // file and the values read stay as they were, and lastFailure() says why in the operator's
    // words ("Could not write to <file>: No space left on device").
    bool write(const QString& key, const QString& value);
    const QString& lastFailure() const { return m_lastFailure; }

    // Called with lastFailure() when a write fails, once for a run of failures: a screen that
    // writes many keys in a row on a full disk tells the operator once, not once per key. A write
    // that succeeds again ends the run.
    void setFailureReporter(std::function<void(const QString&)> report)
    {
        m_reportFailure = std::move(report);
    }

    // Typed reads. A stored value that does not parse as the number (or flag) the reader needs is
    // treated as absent, so the default applies.
    int readInt(const QString& key, int defaultValue) const;
    double readDouble(const QString& key, double defaultValue) const;
    bool readBool(const QString& key, bool defaultValue) const;

private:
    bool writeValue(const QString& key, const QString& value);
    QString storedKey(const QString& key) const;
    bool fileHoldsEveryKey(const QString& path) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_lastFailure;
    std::function<void(const QString&)> m_reportFailure;
    bool m_failureReported = false;
};

// The texts the store uses for numbers and flags.
QString boolText(bool value); // "True" / "False"
QString intText(int value);   // "0", "-1", "2"

} // namespace fw
