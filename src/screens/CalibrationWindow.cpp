#include "screens/CalibrationWindow.h"

#include "screens/GridSetupScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"
#include "support/dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace fw {

namespace {

QPointF at(ScreenPoint p)
{
    return {p.x, p.y};
}

} // namespace

CalibrationWindow::CalibrationWindow(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Calibration Assistant"));
    setWindowFlag(Qt::Tool);
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    const auto edit = [&](QLineEdit*& e) {
        e = new QLineEdit(central);
        e->setMinimumWidth(80);
    };
    for (QLineEdit** e :
         {&point1PictureXEdit, &point1PictureYEdit, &point2PictureXEdit, &point2PictureYEdit,
          &point1ActualXEdit, &point1ActualYEdit, &point2ActualXEdit, &point2ActualYEdit})
        edit(*e);
    pictureColumnLabel = new QLabel(QStringLiteral("Screen (twips)"), central);
    actualColumnLabel = new QLabel(QStringLiteral("Actual (meters)"), central);
    grid->addWidget(pictureColumnLabel, 0, 1, 1, 2);
    grid->addWidget(actualColumnLabel, 0, 3, 1, 2);
    const char* captions[] = {"x", "y", "x", "y"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QLatin1String(captions[c]), central), 1, c + 1);
    grid->addWidget(new QLabel(QStringLiteral("Point 1"), central), 2, 0);
    grid->addWidget(point1PictureXEdit, 2, 1);
    grid->addWidget(point1PictureYEdit, 2, 2);
    grid->addWidget(point1ActualXEdit, 2, 3);
    grid->addWidget(point1ActualYEdit, 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("Point 2"), central), 3, 0);
    grid->addWidget(point2PictureXEdit, 3, 1);
    grid->addWidget(point2PictureYEdit, 3, 2);
    grid->addWidget(point2ActualXEdit, 3, 3);
    grid->addWidget(point2ActualYEdit, 3, 4);
    grid->addWidget(new QLabel(QStringLiteral("Input:"), central), 4, 0);
    inputKindButton = new QPushButton(QStringLiteral("Actual"), central);
    drawButton = new QPushButton(QStringLiteral("Draw"), central);
    eraseButton = new QPushButton(QStringLiteral("Erase"), central);
    grid->addWidget(inputKindButton, 4, 1);
    grid->addWidget(drawButton, 4, 3);
    grid->addWidget(eraseButton, 4, 4);
    setCentralWidget(central);
    exitAction = menuBar()->addAction(QStringLiteral("E&xit"));
    const std::pair<QObject*, const char*> names[] = {{point1PictureXEdit, "point1PictureXEdit"},
                                                      {point1PictureYEdit, "point1PictureYEdit"},
                                                      {point2PictureXEdit, "point2PictureXEdit"},
                                                      {point2PictureYEdit, "point2PictureYEdit"},
                                                      {point1ActualXEdit, "point1ActualXEdit"},
                                                      {point1ActualYEdit, "point1ActualYEdit"},
                                                      {point2ActualXEdit, "point2ActualXEdit"},
                                                      {point2ActualYEdit, "point2ActualYEdit"},
                                                      {inputKindButton, "inputKindButton"},
                                                      {drawButton, "drawButton"},
                                                      {eraseButton, "eraseButton"},
                                                      {pictureColumnLabel, "pictureColumnLabel"},
                                                      {actualColumnLabel, "actualColumnLabel"},
                                                      {exitAction, "exitAction"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));

    connect(inputKindButton, &QPushButton::clicked, this, &CalibrationWindow::toggleInputKind);
    connect(drawButton, &QPushButton::clicked, this, &CalibrationWindow::drawLine);
    connect(eraseButton, &QPushButton::clicked, this, &CalibrationWindow::eraseLines);
    connect(exitAction, &QAction::triggered, this, &CalibrationWindow::hide);
}

CalibrationFields CalibrationWindow::fields() const
{
    CalibrationFields f;
    f.point1PictureX = point1PictureXEdit->text();
    f.point1PictureY = point1PictureYEdit->text();
    f.point2PictureX = point2PictureXEdit->text();
    f.point2PictureY = point2PictureYEdit->text();
    f.point1ActualX = point1ActualXEdit->text();
    f.point1ActualY = point1ActualYEdit->text();
    f.point2ActualX = point2ActualXEdit->text();
    f.point2ActualY = point2ActualYEdit->text();
    return f;
}

void CalibrationWindow::showFields(const CalibrationFields& f)
{
    point1PictureXEdit->setText(f.point1PictureX);
    point1PictureYEdit->setText(f.point1PictureY);
    point2PictureXEdit->setText(f.point2PictureX);
    point2PictureYEdit->setText(f.point2PictureY);
    point1ActualXEdit->setText(f.point1ActualX);
    point1ActualYEdit->setText(f.point1ActualY);
    point2ActualXEdit->setText(f.point2ActualX);
    point2ActualYEdit->setText(f.point2ActualY);
}

void CalibrationWindow::toggleInputKind()
{
    inputKindButton->setText(toggledCalibrationUnits(inputKindButton->text()));
}

void CalibrationWindow::erase(PictureView& view, Shown& shown)
{
    view.removeItem(shown.old);
    view.removeItem(shown.current);
    shown = {};
}

void CalibrationWindow::drawOn(PictureView& view, Shown& shown, const CalibrationLine& line)
{
    // Lines older than the previous one go; the previous one stays, marked as old.
    erase(view, shown);
    if (m_previous)
        shown.old = view.addLine(at(m_previous->from), at(m_previous->to), kMagenta);
    shown.current = view.addLine(at(line.from), at(line.to), kWhite);
}

void CalibrationWindow::drawLine()
{
    CalibrationFields f = fields();
    const Result<CalibrationLine> line =
        calibrationDraw(f, inputKindButton->text(), m_station.grids.working);
    if (!line) {
        m_station.dialogs().message(line.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    showFields(f);
    drawOn(m_station.measurement().pictureView(), m_onMeasurement, line.value());
    drawOn(m_station.gridSetup().pictureView(), m_onGridSetup, line.value());
    m_previous = line.value();
}

void CalibrationWindow::eraseLines()
{
    // The overlays are kept as items, so the lines can really go; the remembered line stays and
    // shows again as the old one at the next Draw.
    erase(m_station.measurement().pictureView(), m_onMeasurement);
    erase(m_station.gridSetup().pictureView(), m_onGridSetup);
}

} // namespace fw
