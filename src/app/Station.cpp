#include "app/Station.h"

#include "screens/MainForm.h"

#include <QCoreApplication>

namespace fw {

Station::Station(SettingsStore& store, Dialogs& dialogs, Clock& clock, KeyboardState& keyboard,
                 StationPaths paths)
    : m_store(store), m_dialogs(dialogs), m_clock(clock), m_keyboard(keyboard),
      m_paths(std::move(paths))
{
}

Station::~Station() = default;

MainForm& Station::mainForm()
{
    if (!m_mainForm)
        m_mainForm = std::make_unique<MainForm>(*this);
    return *m_mainForm;
}

void Station::start()
{
    mainForm().show();
}

void Station::quit()
{
    QCoreApplication::exit(0);
}

} // namespace fw
