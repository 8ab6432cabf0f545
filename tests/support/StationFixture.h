#pragma once

#include "ScriptedDialogs.h"
#include "settings/SettingsStore.h"
#include "support/clock.h"

#include <QTemporaryDir>

#include <memory>

namespace fw::test {

// Each test's own world: a temporary folder holding its settings store and station folder, a
// fixed clock (5 December 2026, 14:03:09) and scripted dialogs.
class StationFixture {
public:
    StationFixture();

    QString root() const { return m_dir.path(); }
    QString stationFolder() const;
    // A path below the temporary folder (folders on the way are not created).
    QString path(const QString& relative) const;
    // Creates a folder below the temporary folder and gives its path.
    QString makeFolder(const QString& relative) const;

    SettingsStore& store() { return *m_store; }
    ScriptedDialogs dialogs;
    FixedClock clock;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_store;
};

// Writes bytes to a file, creating or replacing it; fails the calling test on error.
bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

} // namespace fw::test
