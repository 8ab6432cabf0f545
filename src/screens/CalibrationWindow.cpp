#include "screens/CalibrationWindow.h"

#include "station/Station.h"
#include "screens/GridSetupScreen.h"
#include "screens/MeasurementScreen.h"
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

CalibrationWindow::CalibrationWindow(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Calibration Assistant"));
    setWindowFlag(Qt::Tool);
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    const auto edit = [&](QLineEdit*& e) {
        e = new QLineEdit(central);
        e->setMinimumWidth(80);
    };
    for (QLineEdit** e : {&CalibrationLineXTwips, &CalibrationLineYTwips, &CalibrationLineXTwips2,
                          &CalibrationLineYTwips2, &CalibrationLineXActual, &CalibrationLineYActual,
                          &CalibrationLineXActual2, &CalibrationLineYActual2})
        edit(*e);
    CalibrationLineScreenLabel = new QLabel(QStringLiteral("Screen (twips)"), central);
    CalibrationLineActualLabel = new QLabel(QStringLiteral("Actual (meters)"), central);
    grid->addWidget(CalibrationLineScreenLabel, 0, 1, 1, 2);
    grid->addWidget(CalibrationLineActualLabel, 0, 3, 1, 2);
    const char* captions[] = {"x", "y", "x", "y"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QLatin1String(captions[c]), central), 1, c + 1);
    grid->addWidget(new QLabel(QStringLiteral("Point 1"), central), 2, 0);
    grid->addWidget(CalibrationLineXTwips, 2, 1);
    grid->addWidget(CalibrationLineYTwips, 2, 2);
    grid->addWidget(CalibrationLineXActual, 2, 3);
    grid->addWidget(CalibrationLineYActual, 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("Point 2"), central), 3, 0);
    grid->addWidget(CalibrationLineXTwips2, 3, 1);
    grid->addWidget(CalibrationLineYTwips2, 3, 2);
    grid->addWidget(CalibrationLineXActual2, 3, 3);
    grid->addWidget(CalibrationLineYActual2, 3, 4);
    grid->addWidget(new QLabel(QStringLiteral("Input:"), central), 4, 0);
    CalibrationLineUnitsSelect = new QPushButton(QStringLiteral("Actual"), central);
    CalibrateLineDrawCommand = new QPushButton(QStringLiteral("Draw"), central);
    CalibrationLineErase = new QPushButton(QStringLiteral("Erase"), central);
    grid->addWidget(CalibrationLineUnitsSelect, 4, 1);
    grid->addWidget(CalibrateLineDrawCommand, 4, 3);
    grid->addWidget(CalibrationLineErase, 4, 4);
    setCentralWidget(central);
    formexit = menuBar()->addAction(QStringLiteral("E&xit"));

    connect(CalibrationLineUnitsSelect, &QPushButton::clicked, this,
            &CalibrationWindow::CalibrationLineUnitsSelect_Click);
    connect(CalibrateLineDrawCommand, &QPushButton::clicked, this,
            &CalibrationWindow::CalibrateLineDrawCommand_Click);
    connect(CalibrationLineErase, &QPushButton::clicked, this,
            &CalibrationWindow::CalibrationLineErase_Click);
    connect(formexit, &QAction::triggered, this, &CalibrationWindow::formexit_Click);
}

CalibrationFields CalibrationWindow::fields() const
{
    CalibrationFields f;
    f.CalibrationLineXTwips = CalibrationLineXTwips->text();
    f.CalibrationLineYTwips = CalibrationLineYTwips->text();
    f.CalibrationLineXTwips2 = CalibrationLineXTwips2->text();
    f.CalibrationLineYTwips2 = CalibrationLineYTwips2->text();
    f.CalibrationLineXActual = CalibrationLineXActual->text();
    f.CalibrationLineYActual = CalibrationLineYActual->text();
    f.CalibrationLineXActual2 = CalibrationLineXActual2->text();
    f.CalibrationLineYActual2 = CalibrationLineYActual2->text();
    return f;
}

void CalibrationWindow::showFields(const CalibrationFields& f)
{
    CalibrationLineXTwips->setText(f.CalibrationLineXTwips);
    CalibrationLineYTwips->setText(f.CalibrationLineYTwips);
    CalibrationLineXTwips2->setText(f.CalibrationLineXTwips2);
    CalibrationLineYTwips2->setText(f.CalibrationLineYTwips2);
    CalibrationLineXActual->setText(f.CalibrationLineXActual);
    CalibrationLineYActual->setText(f.CalibrationLineYActual);
    CalibrationLineXActual2->setText(f.CalibrationLineXActual2);
    CalibrationLineYActual2->setText(f.CalibrationLineYActual2);
}

void CalibrationWindow::CalibrationLineUnitsSelect_Click()
{
    CalibrationLineUnitsSelect->setText(
        toggledCalibrationUnits(CalibrationLineUnitsSelect->text()));
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
    if (previous)
        shown.old = view.addLine(at(previous->from), at(previous->to), kMagenta);
    shown.current = view.addLine(at(line.from), at(line.to), kWhite);
}

void CalibrationWindow::CalibrateLineDrawCommand_Click()
{
    CalibrationFields f = fields();
    const Result<CalibrationLine> line =
        calibrationDraw(f, CalibrationLineUnitsSelect->text(), m_station.grids.working);
    if (!line) {
        m_station.dialogs().message(line.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    showFields(f);
    drawOn(m_station.measurement().pictureView(), onMeasure, line.value());
    drawOn(*m_station.gridSetup().picture, onGridSetup, line.value());
    previous = line.value();
}

void CalibrationWindow::CalibrationLineErase_Click()
{
    // The overlays are kept as items, so the lines can really go; the remembered line stays and
    // shows again as the old one at the next Draw.
    erase(m_station.measurement().pictureView(), onMeasure);
    erase(*m_station.gridSetup().picture, onGridSetup);
}

void CalibrationWindow::formexit_Click()
{
    hide();
}

} // namespace fw
