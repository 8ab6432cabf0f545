#include "app/Callouts.h"

#include "station/Station.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/CaptureScreen.h"
#include "screens/ManualViewer.h"
#include "screens/FrameSelectionScreen.h"
#include "widgets/FramePlayer.h"
#include "widgets/PictureView.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

namespace fw {

namespace {

// The marks of each picture: number and the control's object name. Numbers run in the order the
// eye reads the screen; the manual's legend under each picture follows them.
QList<CalloutPicture> buildCallouts()
{
    const auto marks = [](std::initializer_list<const char*> controls) {
        QList<Callout> list;
        int number = 0;
        for (const char* control : controls)
            list.append({++number, QLatin1String(control)});
        return list;
    };
    return {
        {QStringLiteral("main"), Screen::Main,
         marks({"videoLogAction", "pictureLogAction", "manualAction", "goToCaptureButton",
                "reviewVideosButton", "reviewPicturesButton", "gridSetupButton", "configureButton",
                "capturePanelButton", "importSkierNamesButton", "changeVideoFolderButton",
                "barefootTimingCheck", "gridReadyIcon1", "frameRateClassLabel"})},
        {QStringLiteral("manual"), Screen::Manual,
         marks(
             {"contentsTree", "searchEdit", "findPreviousButton", "findNextButton", "doneButton"})},
        {QStringLiteral("config"), Screen::Configuration,
         marks({"tournamentEdit", "resultsFileEdit", "picturesFolderEdit", "setupFilesFolderEdit",
                "skierNameFileEdit", "gridCountBox", "barefootCheck", "jumpDirectionBox",
                "wstimsCheck", "pictureSaveBox", "videoSaveBox", "exitAndSaveAction"})},
        {QStringLiteral("gridsetup-points"), Screen::GridSetup,
         marks({"loadGridAction", "saveGridAction", "pictureMenu", "picture", "gridChoiceButton",
                "gridStateIcon", "pointChoiceBox", "upperLeftSurveyXEdit", "checkBuoySurveyXEdit",
                "jumpXEdit", "completeButton", "drawBuoysButton", "gridLockBox",
                "adjustUpButton"})},
        {QStringLiteral("gridsetup"), Screen::GridSetup,
         marks({"accuracyButton", "accuracyKindBox"})},
        {QStringLiteral("accuracy-mesh"), Screen::GridSetup,
         marks({"accuracyKindBox", "accuracyShowBox"})},
        {QStringLiteral("capture"), Screen::Capture,
         marks({"livePicture", "skierNameEdit", "passEdit", "captureTimeCombo",
                "startRecordingButton", "contactButton", "stopRecordingButton", "selectNameButton",
                "viewRecordedButton", "backToMainButton"})},
        {QStringLiteral("frameselection"), Screen::FrameSelection,
         marks({"player", "stepBackButton", "positionEdit", "stepForwardButton", "browseButton",
                "playBeforeStartButton", "measureFrameButton", "gridSetupFrameButton",
                "fileInfoList", "recordNextPassButton", "mainScreenButton", "viewLogButton"})},
        {QStringLiteral("measure"), Screen::Measurement,
         marks({"picture", "adjustUpButton", "skierNameBox", "jumpNumberEdit", "metersEdit",
                "feetEdit", "jumpOkOption", "recordButton", "clearButton", "showGridButton",
                "verifyButton", "captureNextJumpButton", "savePictureAction", "resultsAction"})},
    };
}

QWidget* shownWidget(QWidget& screen, const QString& control)
{
    QWidget* widget = screen.findChild<QWidget*>(control);
    if (!widget || !widget->isVisibleTo(&screen))
        return nullptr;
    return widget;
}

QAction* menuAction(QWidget& screen, const QString& control)
{
    return screen.findChild<QAction*>(control);
}

QString withoutUnderlineMarks(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

} // namespace

const QList<CalloutPicture>& manualCallouts()
{
    static const QList<CalloutPicture> pictures = buildCallouts();
    return pictures;
}

QList<Callout> calloutsOf(const QString& picture)
{
    for (const CalloutPicture& p : manualCallouts())
        if (p.picture == picture)
            return p.callouts;
    return {};
}

QWidget& screenWidget(Station& station, Screen screen)
{
    switch (screen) {
    case Screen::Configuration:
        return station.configuration();
    case Screen::GridSetup:
        return station.gridSetup();
    case Screen::Capture:
        return station.capture();
    case Screen::FrameSelection:
        return station.frameSelection();
    case Screen::Measurement:
        return station.measurement();
    case Screen::Manual:
        return station.manual();
    case Screen::Main:
        break;
    }
    return station.mainScreen();
}

std::optional<QRect> controlPlace(QWidget& screen, const QString& control)
{
    if (QWidget* widget = shownWidget(screen, control))
        return QRect(widget->mapTo(&screen, QPoint(0, 0)), widget->size());
    QAction* action = menuAction(screen, control);
    QMenuBar* bar = screen.findChild<QMenuBar*>();
    if (!action || !bar || !bar->isVisibleTo(&screen))
        return std::nullopt;
    // An item of a menu is shown by the menu's title.
    QAction* shown = action;
    if (!bar->actions().contains(shown))
        if (auto* menu = qobject_cast<QMenu*>(action->parent()))
            shown = menu->menuAction();
    if (!bar->actions().contains(shown) || !shown->isVisible())
        return std::nullopt;
    const QRect place = bar->actionGeometry(shown);
    if (place.isEmpty())
        return std::nullopt;
    return place.translated(bar->mapTo(&screen, QPoint(0, 0)));
}

QString controlCaption(QWidget& screen, const QString& control)
{
    QWidget* widget = screen.findChild<QWidget*>(control);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return withoutUnderlineMarks(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget))
        return withoutUnderlineMarks(label->text());
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return withoutUnderlineMarks(frame->title());
    if (widget)
        return {};
    if (QAction* action = menuAction(screen, control))
        return withoutUnderlineMarks(action->text());
    return {};
}

QStringList drawCallouts(QImage& picture, QWidget& screen, const QList<Callout>& callouts)
{
    QStringList missing;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // The marks keep their size whatever the screen's scale: the picture is in device pixels.
    const double scale = picture.width() / double(std::max(1, screen.width()));
    const double radius = 9.5 * scale;
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(12 * scale));
    painter.setFont(font);
    const QColor ink(214, 40, 40);
    for (const Callout& callout : callouts) {
        const std::optional<QRect> place = controlPlace(screen, callout.control);
        if (!place) {
            missing.append(callout.control);
            continue;
        }
        const QRectF box(place->x() * scale, place->y() * scale, place->width() * scale,
                         place->height() * scale);
        painter.setPen(QPen(ink, 2.0 * scale));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 3 * scale, 3 * scale);
        // Where the number hides the least: below a menu's title, inside the bottom-left
        // corner of a picture or list, beside a control too small to share, and otherwise on
        // the control's top-left corner.
        const bool menuItem = !shownWidget(screen, callout.control);
        QPointF centre = box.topLeft() + QPointF(2 * scale, 2 * scale);
        if (menuItem)
            centre = QPointF(box.left() + radius + 2 * scale, box.bottom() + radius + scale);
        else if (box.height() > 6 * radius)
            centre = QPointF(box.left() + radius + 6 * scale, box.bottom() - radius - 6 * scale);
        else if (box.width() < 4 * radius)
            centre = QPointF(box.left() - radius - 2 * scale, box.center().y());
        centre.setX(std::clamp(centre.x(), radius + 1, picture.width() - radius - 1));
        centre.setY(std::clamp(centre.y(), radius + 1, picture.height() - radius - 1));
        painter.setPen(QPen(Qt::white, 2.0 * scale));
        painter.setBrush(ink);
        painter.drawEllipse(centre, radius, radius);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                         Qt::AlignCenter, QString::number(callout.number));
    }
    return missing;
}

} // namespace fw
