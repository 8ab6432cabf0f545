#pragma once

#include "platform/StationPaths.h"
#include "settings/StationSettings.h"

#include <QString>

#include <memory>

namespace fw {

class Clock;
class Dialogs;
class KeyboardState;
class MainForm;
class SettingsStore;

// One per run: owns the station-wide records and the services, creates each screen at its first
// showing and afterwards only hides and shows it. Screens get the Station by reference.
class Station {
public:
    Station(SettingsStore& store, Dialogs& dialogs, Clock& clock, KeyboardState& keyboard,
            StationPaths paths);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    SettingsStore& store() { return m_store; }
    Dialogs& dialogs() { return m_dialogs; }
    Clock& clock() { return m_clock; }
    KeyboardState& keyboard() { return m_keyboard; }
    const StationPaths& paths() const { return m_paths; }

    StationSettings settings;
    QString ArrivedFrom;
    QString VideoFileToView;

    // Shows the first window.
    void start();
    // Ends the program at once.
    void quit();

    MainForm& mainForm();
    bool hasMainForm() const { return m_mainForm != nullptr; }

private:
    SettingsStore& m_store;
    Dialogs& m_dialogs;
    Clock& m_clock;
    KeyboardState& m_keyboard;
    StationPaths m_paths;

    std::unique_ptr<MainForm> m_mainForm;
};

} // namespace fw
