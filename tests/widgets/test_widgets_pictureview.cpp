// The picture view: pictures and their size in twips, overlay items, the mapping of clicks to
// twips at every zoom and screen scale, draggable labels and panels, the magnifier.
//
// Built twice: once on a plain screen and once (FW_SCREEN_SCALE_2) on a screen scaled by 2, where
// a logical pixel holds two screen pixels. The expected twips are the same in both.

#include "StationFixture.h"
#include "widgets/Magnifier.h"
#include "widgets/PictureView.h"

#include <QApplication>
#include <QDataStream>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

#ifdef FW_SCREEN_SCALE_2
constexpr double kRatio = 2.0;
#else
constexpr double kRatio = 1.0;
#endif

// A 24-bit bitmap file stating the given resolution (0: none), every pixel grey.
QByteArray bitmapFile(int width, int height, quint32 pelsPerMeter)
{
    const quint32 imageSize = quint32(((width * 3 + 3) / 4) * 4 * height);
    QByteArray bytes("BM");
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(54 + imageSize) << quint32(0) << quint32(54) << quint32(40) << qint32(width)
        << qint32(height) << quint16(1) << quint16(24) << quint32(0) << imageSize << pelsPerMeter
        << pelsPerMeter << quint32(0) << quint32(0);
    return bytes + QByteArray(qsizetype(imageSize), char(0x80));
}

// Twips of a size by the station's rule, worked out here on its own.
double expectedTwips(int pixels, double dpi)
{
    return std::round(pixels * 2540.0 / dpi) * 15.0 / 26.5;
}

QImage testPicture(int w = 200, int h = 150)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    return image;
}

// Shows the view at the given size with a picture of the given size (none for 0).
bool shown(PictureView& view, QSize size, QSize picture = QSize(200, 150))
{
    view.resize(size);
    if (!picture.isEmpty())
        view.setPicture(testPicture(picture.width(), picture.height()));
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

void sendMouse(QWidget* target, QEvent::Type type, QPointF pos, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

void drag(QWidget* target, QPointF from, QPointF to)
{
    sendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

QPointF pressAt(PictureView& view, QPointF pos)
{
    QSignalSpy spy(&view, &PictureView::mousePressed);
    sendMouse(view.viewport(), QEvent::MouseButtonPress, pos, Qt::LeftButton);
    sendMouse(view.viewport(), QEvent::MouseButtonRelease, pos, Qt::NoButton);
    return spy.count() == 1 ? spy.first().at(0).toPointF() : QPointF(-1, -1);
}

} // namespace

class TestPictureView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clickOnAPixelGivesItsTwipsAtEveryZoom();
    void scrollingFitAndWheelKeepTheMapping();
    void pictureFilesAndTheirSizeInTwips();
    void overlaysDrawAtTheirPixels();
    void draggableLabelsAndPanels();
    void magnifierFollowsTheCursor();
    // A picture larger than the view grows its window to show it whole, within the screen; a
    // smaller one, another of a size already grown for, or a maximized window, leaves it as it is.
    void largePictureGrowsTheWindowWithinTheScreen();
    // With fitting on, a picture larger than the view is shown whole (the zoom stays the
    // operator's); labels at the picture's edges are drawn inside it, not cut off.
    void largePictureFitsAndLabelsStayInside();
};

// A click anywhere on picture pixel (100, 60) gives (1500, 900) at 1:1 and 2:1 (4:1 below,
// scrolled), on a plain and on a scaled screen; the neighbouring pixel gives the next 15 twips.
void TestPictureView::clickOnAPixelGivesItsTwipsAtEveryZoom()
{
    PictureView view;
    QVERIFY(shown(view, QSize(500, 400)));
    QCOMPARE(view.viewport()->devicePixelRatioF(), kRatio); // or the scaled build proves nothing
    const struct {
        PictureView::Zoom zoom;
        double factor; // a picture pixel is factor / ratio logical pixels wide
        QPointF within;
        QPointF twips;
    } cases[] = {{PictureView::Zoom::Actual, 1, {0.4, 0.4}, {1500, 900}},
                 {PictureView::Zoom::Actual, 1, {1, 1}, {1515, 915}},
                 {PictureView::Zoom::Double, 2, {0.9, 0.9}, {1500, 900}},
                 {PictureView::Zoom::Double, 2, {1, 0}, {1515, 900}}};
    for (const auto& c : cases) {
        view.setZoom(c.zoom);
        view.horizontalScrollBar()->setValue(0);
        view.verticalScrollBar()->setValue(0);
        const QPointF click = (QPointF(100, 60) + c.within) * (c.factor / kRatio);
        QCOMPARE(pressAt(view, click), c.twips);
        QCOMPARE(view.widgetToTwips(click), c.twips);
    }
}

// Scrolled at 4:1 the same pixel gives the same twips; fit zoom maps by its own scale; every
// stored position is drawn inside the pixel a click gives it back from; Ctrl+wheel steps the
// zoom, keeps the picture point under the cursor and moves no item.
void TestPictureView::scrollingFitAndWheelKeepTheMapping()
{
    PictureView view;
    QVERIFY(shown(view, QSize(300, 200), QSize(400, 300)));
    view.setZoom(PictureView::Zoom::Quadruple);
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    view.horizontalScrollBar()->setValue(200);
    view.verticalScrollBar()->setValue(100);
    const QPointF onScreen = QPointF(150, 90) * (4.0 / kRatio) - QPointF(200, 100);
    QCOMPARE(pressAt(view, onScreen + QPointF(0.5, 0.5)), QPointF(150 * 15, 90 * 15));

    view.setZoom(PictureView::Zoom::Fit);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    const double fit =
        std::min(view.viewport()->width() / 400.0, view.viewport()->height() / 300.0);
    QCOMPARE(view.scale(), fit);
    const QPointF pos(100.2, 50.7);
    QCOMPARE(view.widgetToTwips(pos),
             QPointF(std::floor(pos.x() / fit) * 15, std::floor(pos.y() / fit) * 15));
    for (auto zoom : {PictureView::Zoom::Fit, PictureView::Zoom::Actual, PictureView::Zoom::Double,
                      PictureView::Zoom::Quadruple}) {
        view.setZoom(zoom);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 3);
        for (const QPointF t : {QPointF(0, 0), QPointF(1500, 900), QPointF(5985, 15)})
            QCOMPARE(view.widgetToTwips(view.twipsToWidget(t)), t);
    }

    view.setZoom(PictureView::Zoom::Actual);
    const auto cross = view.addCross(QPointF(1500, 900), 150, kWhite);
    QSignalSpy zoomed(&view, &PictureView::zoomChanged);
    const QPointF at = view.twipsToWidget(QPointF(1500, 900));
    const auto wheel = [&view, at](int delta) {
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    };
    wheel(120);
    QCOMPARE(view.zoom(), PictureView::Zoom::Double);
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(view.widgetToTwips(at), QPointF(1500, 900));
    QCOMPARE(view.item(cross)->a, QPointF(1500, 900));
    for (int i = 0; i < 3; ++i)
        wheel(-240);
    QCOMPARE(view.zoom(), PictureView::Zoom::Fit);
}

// Guards the size in twips (whole hundredths of a millimetre at the file's resolution, 96 dpi
// when it states none, times 15 / 26.5), the formats that load, a missing or broken file (said,
// the picture kept), and Save Picture: a bitmap of the picture's size with the drawing.
void TestPictureView::pictureFilesAndTheirSizeInTwips()
{
    StationFixture fx;
    PictureView view;
    QVERIFY(writeBytes(fx.path(QStringLiteral("none.bmp")), bitmapFile(640, 480, 0)));
    const Result<LoadedPicture> p = readPicture(fx.path(QStringLiteral("none.bmp")));
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QVERIFY(std::fabs(p->width_twips - 9584.717) < 0.001); // 16933 hundredths
    QCOMPARE(pictureTwips(800, 0), expectedTwips(800, 96));
    QVERIFY(writeBytes(fx.path(QStringLiteral("72dpi.bmp")), bitmapFile(640, 480, 2835)));
    QVERIFY(view.loadPicture(fx.path(QStringLiteral("72dpi.bmp"))).ok());
    QCOMPARE(view.pictureWidth_twips(), expectedTwips(640, 2835 * 0.0254));
    QCOMPARE(view.pictureHeight_twips(), expectedTwips(480, 2835 * 0.0254));

    QVERIFY(testPicture(32, 24).save(fx.path(QStringLiteral("a.png")), "PNG"));
    QVERIFY(view.loadPicture(fx.path(QStringLiteral("a.png"))).ok());
    QVERIFY(writeBytes(fx.path(QStringLiteral("a.bmp")), bitmapFile(3, 2, 0)));
    QVERIFY(view.loadPicture(fx.path(QStringLiteral("a.bmp"))).ok());
    QVERIFY(writeBytes(fx.path(QStringLiteral("broken.bmp")), "BM not a picture"));
    for (const char* name : {"broken.bmp", "missing.jpg"}) {
        const Outcome failed = view.loadPicture(fx.path(QLatin1String(name)));
        QVERIFY2(!failed.ok() && failed.message().startsWith(QStringLiteral("could not read ")) &&
                     failed.message().contains(QLatin1String(name)),
                 qPrintable(failed.message()));
    }
    QCOMPARE(view.picture().size(), QSize(3, 2));

    const QString path = fx.path(QStringLiteral("Leejump2.bmp"));
    view.setPicture(testPicture());
    view.addLine(QPointF(0, 150), QPointF(300, 150), kRed);
    QVERIFY(view.saveBitmap(path).ok());
    QVERIFY(readBytes(path).startsWith("BM"));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(200, 150));
    QCOMPARE(saved.pixel(10, 10), qRgb(255, 0, 0));
    QCOMPARE(saved.pixel(10, 11), qRgb(10, 20, 30));
    const Outcome noFolder = view.saveBitmap(fx.path(QStringLiteral("gone/x.bmp")));
    QVERIFY(!noFolder.ok() && noFolder.message().startsWith(QStringLiteral("Could not write to ")));
}

// Guards lines, crosses and dots on the picture pixels of their twips, item changes (a line
// moves whole, hidden items are not drawn), unknown ids refused, clearing that keeps the
// picture, and colours given as blue-green-red.
void TestPictureView::overlaysDrawAtTheirPixels()
{
    PictureView view;
    view.setPicture(testPicture());
    const QRgb red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0), back = qRgb(10, 20, 30);
    view.addLine(QPointF(1500, 900), QPointF(1650, 900), kRed);
    view.addCross(QPointF(300, 300), 45, kYellow);
    view.addDot(QPointF(1800, 1800), kMagenta, 1);
    const QImage drawn = view.renderedImage(true);
    QCOMPARE(drawn.pixel(100, 60), red);
    QCOMPARE(drawn.pixel(110, 60), red);
    QCOMPARE(drawn.pixel(100, 61), back);
    QCOMPARE(drawn.pixel(20, 17), yellow); // arm end: 300 - 45 twips is pixel 17
    QCOMPARE(drawn.pixel(23, 20), yellow);
    QCOMPARE(drawn.pixel(120, 120), qRgb(255, 0, 255));
    QCOMPARE(view.renderedImage(false).pixel(100, 60), back);

    const auto line = view.addLine(QPointF(0, 0), QPointF(150, 0), kWhite);
    QVERIFY(view.setLine(line, QPointF(15, 15), QPointF(30, 300)));
    QVERIFY(view.moveItem(line, QPointF(45, 45)));
    QCOMPARE(view.item(line)->b, QPointF(60, 330));
    QCOMPARE(view.renderedImage().pixel(3, 3), qRgb(255, 255, 255));
    QVERIFY(view.setItemVisible(line, false));
    QCOMPARE(view.renderedImage().pixel(3, 3), back);
    QVERIFY(view.removeItem(line));
    QVERIFY(!view.item(line));
    QVERIFY(!view.setLine(line, QPointF(), QPointF()));

    view.clearDrawing();
    QCOMPARE(view.itemCount(), 0);
    QCOMPARE(view.renderedImage(true).pixel(100, 60), back);
    view.clearPicture();
    QVERIFY(!view.hasPicture());
    QVERIFY(view.renderedImage().isNull());
    QCOMPARE(colorFromRgb(0x123456), QColor(0x56, 0x34, 0x12));
}

// Guards dragging: a draggable label moves by the mouse's way in twips and is no click on the
// picture, a fixed one lets the click through; a panel dragged by its handle carries its
// companions only, and a move after the release drags nothing.
void TestPictureView::draggableLabelsAndPanels()
{
    PictureView view;
    QVERIFY(shown(view, QSize(500, 400)));
    view.setZoom(PictureView::Zoom::Double);
    const auto label = view.addLabel(QPointF(300, 300), QStringLiteral("Buoy 1"), kWhite, true);
    QSignalSpy pressed(&view, &PictureView::mousePressed);
    QSignalSpy moved(&view, &PictureView::labelMoved);
    const QPointF grab = view.twipsToWidget(QPointF(300, 300)) + QPointF(3, 3);
    drag(view.viewport(), grab, grab + QPointF(10, 4) * (2.0 / kRatio));
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(1).toPointF(), QPointF(450, 360));
    QCOMPARE(view.item(label)->a, QPointF(450, 360));
    view.addLabel(QPointF(1500, 1500), QStringLiteral("fixed"), kWhite, false);
    pressAt(view, view.twipsToWidget(QPointF(1500, 1500)) + QPointF(2, 2));
    QCOMPARE(pressed.count(), 1);

    auto* handle = new QLabel(QStringLiteral("Micro-Adjust (drag-it)"), view.panelParent());
    auto* arrow = new QLabel(QStringLiteral(">"), view.panelParent());
    auto* other = new QLabel(QStringLiteral("other"), view.panelParent());
    handle->move(10, 20);
    arrow->move(30, 50);
    other->move(200, 200);
    view.makeMovable(handle, {arrow});
    handle->show();
    arrow->show();
    other->show();
    QSignalSpy dropped(&view, &PictureView::panelMoved);
    drag(handle, QPointF(5, 5), QPointF(45, 35));
    QCOMPARE(handle->pos(), QPoint(50, 50));
    QCOMPARE(arrow->pos(), QPoint(70, 80));
    QCOMPARE(other->pos(), QPoint(200, 200));
    QCOMPARE(dropped.count(), 1);
    sendMouse(handle, QEvent::MouseMove, QPointF(90, 90), Qt::NoButton);
    QCOMPARE(handle->pos(), QPoint(50, 50));
}

// Guards the magnifier: only when switched on, on the pixel a click would take, 4x or 8x with
// Shift, and out of the cursor's way.
void TestPictureView::magnifierFollowsTheCursor()
{
    PictureView view;
    QVERIFY(shown(view, QSize(500, 400)));
    const QPointF pos = QPointF(100.3, 60.3) / kRatio;
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton);
    QVERIFY(!view.magnifier()->isVisible());
    view.setMagnifierEnabled(true);
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton);
    QVERIFY(view.magnifier()->isVisible());
    QCOMPARE(view.magnifier()->pixel(), QPoint(100, 60));
    QCOMPARE(view.magnifier()->factor(), Magnifier::kFactor);
    QCOMPARE(QPointF(view.magnifier()->pixel()) * 15, view.widgetToTwips(pos));
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton, Qt::ShiftModifier);
    QCOMPARE(view.magnifier()->factor(), Magnifier::kStrongFactor);
    const QPointF corner(view.viewport()->width() - 20, 20);
    sendMouse(view.viewport(), QEvent::MouseMove, corner, Qt::NoButton);
    QVERIFY(!view.magnifier()->geometry().contains(corner.toPoint()));
    view.setMagnifierEnabled(false);
    QVERIFY(!view.magnifier()->isVisible());
}

void TestPictureView::largePictureGrowsTheWindowWithinTheScreen()
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* view = new PictureView(&window);
    view->setGrowsWindow(true);
    layout->addWidget(view, 1);
    layout->addWidget(new QLabel(QStringLiteral("side panel"), &window));
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    const auto gray = [](QSize size) { return testPicture(size.width(), size.height()); };

    view->setPicture(gray({100, 80}));
    QCOMPARE(window.size(), QSize(300, 200));

    // Half the screen: the whole picture shows at 1:1.
    const QSize medium = screen.size() / 2;
    view->setPicture(gray(medium));
    const QSizeF shown = QSizeF(view->maximumViewportSize()) / view->scale();
    QVERIFY2(shown.width() >= medium.width() && shown.height() >= medium.height(),
             qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
    QVERIFY(window.width() < screen.width());
    // The operator's own size stays for the next picture of that size, also after another.
    window.resize(320, 240);
    view->setPicture(gray({100, 80}));
    view->setPicture(gray(medium));
    QCOMPARE(window.size(), QSize(320, 240));

    // Twice the screen: as large as the screen allows, and on it.
    view->setPicture(gray(screen.size() * 2));
    QVERIFY(screen.contains(window.frameGeometry()));
    QVERIFY(window.width() > 300 && window.height() > 200);

    window.setWindowState(Qt::WindowMaximized);
    const QSize maximized = window.size();
    view->setPicture(gray(screen.size() * 3));
    QCOMPARE(window.size(), maximized);
}

void TestPictureView::largePictureFitsAndLabelsStayInside()
{
    PictureView view;
    view.setFitsLargePictures(true);
    QVERIFY(shown(view, QSize(400, 300), QSize(1600, 1200)));
    QCOMPARE(view.zoom(), PictureView::Zoom::Fit);
    view.setZoom(PictureView::Zoom::Actual);
    view.setPicture(testPicture(200, 150)); // smaller than the view: left at the operator's zoom
    QCOMPARE(view.zoom(), PictureView::Zoom::Actual);

    PictureView plain;
    plain.setPicture(testPicture());
    // A row number at the right edge and a distance below the bottom edge of the picture.
    plain.addLabel(QPointF(200 * 15, 40 * 15), QStringLiteral("7"), kWhite);
    plain.addLabel(QPointF(40 * 15, 150 * 15), QStringLiteral("60 meters"), kWhite);
    const QImage drawn = plain.renderedImage(true);
    const auto whiteIn = [&drawn](QRect r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(drawn.pixel(x, y)) > 128) // text, antialiased, on the dark picture
                    return true;
        return false;
    };
    QVERIFY(whiteIn(QRect(170, 35, 30, 30)));
    QVERIFY(whiteIn(QRect(35, 120, 100, 30)));
}

int main(int argc, char** argv)
{
#ifdef FW_SCREEN_SCALE_2
    qputenv("QT_SCALE_FACTOR", "2");
#endif
    QApplication app(argc, argv);
    TestPictureView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_widgets_pictureview.moc"
