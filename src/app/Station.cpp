#include "app/Station.h"

#include "grid/GridFiles.h"

#include "screens/Config.h"
#include "screens/LogView.h"
#include "screens/MainForm.h"
#include "screens/frmManual.h"

#include <QCoreApplication>

namespace fw {

Station::Station(SettingsStore& store, Dialogs& dialogs, Clock& clock, KeyboardState& keyboard,
                 StationPaths paths)
    : m_store(store), m_dialogs(dialogs), m_clock(clock), m_keyboard(keyboard),
      m_paths(std::move(paths))
{
}

Station::~Station()
{
    // Owned windows first: the log viewer belongs to a screen destroyed below.
    delete m_logView;
    m_manual.reset();
    m_config.reset();
    m_mainForm.reset();
}

MainForm& Station::mainForm()
{
    if (!m_mainForm)
        m_mainForm = std::make_unique<MainForm>(*this);
    return *m_mainForm;
}

Config& Station::config()
{
    if (!m_config) {
        m_config = std::make_unique<Config>(*this);
        m_config->Form_Load();
    }
    return *m_config;
}

frmManual& Station::manual()
{
    if (!m_manual) {
        m_manual = std::make_unique<frmManual>(*this);
        m_manual->Form_Load();
    }
    return *m_manual;
}

bool Station::created(Screen screen) const
{
    switch (screen) {
    case Screen::Main: return m_mainForm != nullptr;
    case Screen::Config: return m_config != nullptr;
    case Screen::Manual: return m_manual != nullptr;
    default: return false;
    }
}

bool Station::hasScreen(Screen screen) const
{
    switch (screen) {
    case Screen::Main:
    case Screen::Config:
    case Screen::Manual:
        return true;
    default:
        return false;
    }
}

QWidget* Station::screenWidget(Screen screen)
{
    switch (screen) {
    case Screen::Main: return &mainForm();
    case Screen::Config: return &config();
    case Screen::Manual: return &manual();
    default: return nullptr;
    }
}

bool Station::show(Screen target, QWidget* from)
{
    QWidget* widget = hasScreen(target) ? screenWidget(target) : nullptr;
    if (!widget)
        return false;
    widget->show();
    widget->raise();
    widget->activateWindow();
    if (from && from != widget)
        from->hide();
    return true;
}

LogView* Station::logView() const
{
    return qobject_cast<LogView*>(m_logView.data());
}

LogView* Station::openLogView(QWidget* owner)
{
    delete m_logView;
    auto* view = new LogView(*this, owner);
    m_logView = view;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->Form_Load();
    view->show();
    return view;
}

bool Station::loadGridAtStartup(int grid, const QString& path)
{
    const GridFileResult loaded =
        LoadGridAtStartup(grid, path, gridEntries, grids, settings, m_store, pictureWidth_twips,
                          m_dialogs, m_clock);
    if (loaded.usable && m_mainForm) {
        m_mainForm->setGridReady(grid, true);
        m_mainForm->setGridDescription(grid, loaded.description);
    }
    return loaded.usable;
}

void Station::start()
{
    mainForm().Form_Load();
}

void Station::quit()
{
    m_quitRequested = true;
    delete m_logView;
    for (QWidget* w : {static_cast<QWidget*>(m_manual.get()), static_cast<QWidget*>(m_config.get()),
                       static_cast<QWidget*>(m_mainForm.get())}) {
        if (w)
            w->hide();
    }
    QCoreApplication::exit(0);
}

} // namespace fw
