#include "screens/CalibrationWindow.h"

#include "screens/GridSetupScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"
#include "support/dialogs.h"

#include <QAction>
#include <QLineEdit>
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
    m_form.build(*this);
    connect(m_form.inputKindButton, &QPushButton::clicked, this,
            &CalibrationWindow::toggleInputKind);
    connect(m_form.drawButton, &QPushButton::clicked, this, &CalibrationWindow::drawLine);
    connect(m_form.eraseButton, &QPushButton::clicked, this, &CalibrationWindow::eraseLines);
    connect(m_form.exitAction, &QAction::triggered, this, &CalibrationWindow::hide);
}

CalibrationFields CalibrationWindow::fields() const
{
    CalibrationFields f;
    f.point1PictureX = m_form.point1PictureXEdit->text();
    f.point1PictureY = m_form.point1PictureYEdit->text();
    f.point2PictureX = m_form.point2PictureXEdit->text();
    f.point2PictureY = m_form.point2PictureYEdit->text();
    f.point1ActualX = m_form.point1ActualXEdit->text();
    f.point1ActualY = m_form.point1ActualYEdit->text();
    f.point2ActualX = m_form.point2ActualXEdit->text();
    f.point2ActualY = m_form.point2ActualYEdit->text();
    return f;
}

void CalibrationWindow::showFields(const CalibrationFields& f)
{
    m_form.point1PictureXEdit->setText(f.point1PictureX);
    m_form.point1PictureYEdit->setText(f.point1PictureY);
    m_form.point2PictureXEdit->setText(f.point2PictureX);
    m_form.point2PictureYEdit->setText(f.point2PictureY);
    m_form.point1ActualXEdit->setText(f.point1ActualX);
    m_form.point1ActualYEdit->setText(f.point1ActualY);
    m_form.point2ActualXEdit->setText(f.point2ActualX);
    m_form.point2ActualYEdit->setText(f.point2ActualY);
}

void CalibrationWindow::toggleInputKind()
{
    m_form.inputKindButton->setText(toggledCalibrationUnits(m_form.inputKindButton->text()));
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
        calibrationDraw(f, m_form.inputKindButton->text(), m_station.grids.working);
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
