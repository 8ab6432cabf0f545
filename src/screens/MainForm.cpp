#include "screens/MainForm.h"

#include "app/Station.h"

#include <QCloseEvent>

namespace fw {

MainForm::MainForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005"));
    resize(800, 600);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    // Closing the main screen ends the program at once.
    event->accept();
    m_station.quit();
}

} // namespace fw
