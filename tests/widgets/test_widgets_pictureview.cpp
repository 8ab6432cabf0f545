// The picture view: pictures and their size in twips, overlay items, the mapping of clicks to
// twips at every zoom and screen scale, draggable labels and panels, the magnifier.
//
// Built twice: once on a plain screen and once (FW_SCREEN_SCALE_2) on a screen scaled by 2, where
// a logical pixel holds two screen pixels. The expected twips are the same in both.

#include "StationFixture.h"
#include "widgets/Magnifier.h"
#include "widgets/PictureView.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

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
QByteArray bitmapFile(int width, int height, qint32 pelsPerMeter)
{
    const int row = ((width * 3 + 3) / 4) * 4;
    const quint32 imageSize = quint32(row * height);
    QByteArray bytes(54 + int(imageSize), char(0x80));
    auto put32 = [&bytes](int at, quint32 v) { qToLittleEndian<quint32>(v, bytes.data() + at); };
    auto put16 = [&bytes](int at, quint16 v) { qToLittleEndian<quint16>(v, bytes.data() + at); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, quint32(bytes.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, 24);
    put32(30, 0);
    put32(34, imageSize);
    put32(38, quint32(pelsPerMeter));
    put32(42, quint32(pelsPerMeter));
    put32(46, 0);
    put32(50, 0);
    return bytes;
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

void sendMouse(QWidget* target, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

QPointF pressAt(PictureView& view, QPointF pos)
{
    QSignalSpy spy(&view, &PictureView::mousePressed);
    sendMouse(view.viewport(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(view.viewport(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    if (spy.count() != 1)
        return QPointF(-1, -1);
    return spy.first().at(0).toPointF();
}

} // namespace

class TestPictureView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void screenScaleIsInEffect();
    void clickOnAPixelGivesItsTwipsAtEveryZoom_data();
    void clickOnAPixelGivesItsTwipsAtEveryZoom();
    void scrollingAndFitKeepTheMapping();
    void drawnPositionsRoundTrip();
    void ctrlWheelZoomsAndChangesNoNumber();
    void pictureSizeInTwips();
    void pictureFormatsAndUnreadableFiles();
    void overlaysDrawAtTheirPixelsAndClearingKeepsThePicture();
    void itemChangesAndUnknownIds();
    void colourIsBlueGreenRed();
    void draggableLabelMovesAndReportsNoClick();
    void movablePanelCarriesItsCompanions();
    void magnifierFollowsTheCursor();
    void savedBitmapHoldsTheDrawing();
};

// The second build must really run on a scaled screen, or it proves nothing.
void TestPictureView::screenScaleIsInEffect()
{
    PictureView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.viewport()->devicePixelRatioF(), kRatio);
}

// A click anywhere on picture pixel (100, 60) gives (1500, 900) at 1:1, 2:1 and 4:1, on a plain
// and on a scaled screen; the neighbouring pixel gives the next 15 twips.
void TestPictureView::clickOnAPixelGivesItsTwipsAtEveryZoom_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPointF>("click");
    QTest::addColumn<QPointF>("twips");
    // Logical positions: a picture pixel is zoom / ratio logical pixels wide.
    const double k1 = 1.0 / kRatio, k2 = 2.0 / kRatio, k4 = 4.0 / kRatio;
    const QPointF pixel(100, 60);
    QTest::newRow("1:1 start of pixel")
        << int(PictureView::Zoom::Actual) << pixel * k1 << QPointF(1500, 900);
    QTest::newRow("1:1 inside pixel") << int(PictureView::Zoom::Actual)
                                      << pixel * k1 + QPointF(0.4, 0.4) * k1 << QPointF(1500, 900);
    QTest::newRow("1:1 next pixel")
        << int(PictureView::Zoom::Actual) << (pixel + QPointF(1, 1)) * k1 << QPointF(1515, 915);
    QTest::newRow("2:1 start of pixel")
        << int(PictureView::Zoom::Double) << pixel * k2 << QPointF(1500, 900);
    QTest::newRow("2:1 far side of pixel")
        << int(PictureView::Zoom::Double) << pixel * k2 + QPointF(0.9, 0.9) * k2
        << QPointF(1500, 900);
    QTest::newRow("2:1 next pixel")
        << int(PictureView::Zoom::Double) << (pixel + QPointF(1, 0)) * k2 << QPointF(1515, 900);
    QTest::newRow("4:1 inside pixel")
        << int(PictureView::Zoom::Quadruple) << pixel * k4 + QPointF(0.75, 0.25) * k4
        << QPointF(1500, 900);
}

void TestPictureView::clickOnAPixelGivesItsTwipsAtEveryZoom()
{
    QFETCH(int, zoom);
    QFETCH(QPointF, click);
    QFETCH(QPointF, twips);
    PictureView view;
    view.resize(500, 400);
    view.setPicture(testPicture());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setZoom(PictureView::Zoom(zoom));
    view.horizontalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(0);
    QCOMPARE(pressAt(view, click), twips);
    QCOMPARE(view.widgetToTwips(click), twips);
}

// Scrolled at 4:1 the same pixel still gives the same twips; fit zoom maps by its own scale.
void TestPictureView::scrollingAndFitKeepTheMapping()
{
    PictureView view;
    view.resize(300, 200);
    view.setPicture(testPicture(400, 300));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setZoom(PictureView::Zoom::Quadruple);
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    view.horizontalScrollBar()->setValue(200);
    view.verticalScrollBar()->setValue(100);
    const double k = 4.0 / kRatio;
    const QPointF onScreen = QPointF(150, 90) * k - QPointF(200, 100) + QPointF(0.5, 0.5);
    QCOMPARE(pressAt(view, onScreen), QPointF(150 * 15, 90 * 15));

    view.setZoom(PictureView::Zoom::Fit);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    const double fit =
        std::min(view.viewport()->width() / 400.0, view.viewport()->height() / 300.0);
    QCOMPARE(view.scale(), fit);
    const QPointF pos(100.2, 50.7);
    QCOMPARE(view.widgetToTwips(pos),
             QPointF(std::floor(pos.x() / fit) * 15, std::floor(pos.y() / fit) * 15));
}

// Every stored twips position is drawn inside the pixel that a click would give it back from.
void TestPictureView::drawnPositionsRoundTrip()
{
    PictureView view;
    view.resize(500, 400);
    view.setPicture(testPicture(300, 300));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (auto zoom : {PictureView::Zoom::Fit, PictureView::Zoom::Actual, PictureView::Zoom::Double,
                      PictureView::Zoom::Quadruple}) {
        view.setZoom(zoom);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 3);
        for (const QPointF t : {QPointF(0, 0), QPointF(1500, 900), QPointF(4485, 15)}) {
            QCOMPARE(view.widgetToTwips(view.twipsToWidget(t)), t);
        }
    }
}

// Ctrl+wheel steps the zoom and keeps the picture point under the cursor; no item moves.
void TestPictureView::ctrlWheelZoomsAndChangesNoNumber()
{
    PictureView view;
    view.resize(400, 300);
    view.setPicture(testPicture(800, 600));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto cross = view.addCross(QPointF(1500, 900), 150, kWhite);
    QSignalSpy zoomed(&view, &PictureView::zoomChanged);
    const QPointF at = view.twipsToWidget(QPointF(1500, 900));
    QWheelEvent up(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &up);
    QCOMPARE(view.zoom(), PictureView::Zoom::Double);
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(view.widgetToTwips(at), QPointF(1500, 900));
    QCOMPARE(view.item(cross)->a, QPointF(1500, 900));
    QCOMPARE(view.item(cross)->size, 150.0);
    QWheelEvent down(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &down);
    QApplication::sendEvent(view.viewport(), &down);
    QApplication::sendEvent(view.viewport(), &down);
    QCOMPARE(view.zoom(), PictureView::Zoom::Fit);
}

// Width in whole hundredths of a millimetre at the file's resolution (96 dpi when it states
// none), times 15 / 26.5.
void TestPictureView::pictureSizeInTwips()
{
    StationFixture fx;
    const QString none = fx.path(QStringLiteral("none.bmp"));
    QVERIFY(writeBytes(none, bitmapFile(640, 480, 0)));
    Result<LoadedPicture> p = readPicture(none);
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QCOMPARE(p->width_twips, expectedTwips(640, 96));
    QCOMPARE(p->height_twips, expectedTwips(480, 96));
    QVERIFY(std::fabs(p->width_twips - 9584.717) < 0.001); // 16933 hundredths

    const QString stated = fx.path(QStringLiteral("72dpi.bmp"));
    QVERIFY(writeBytes(stated, bitmapFile(640, 480, 2835)));
    p = readPicture(stated);
    QVERIFY(p.ok());
    QCOMPARE(p->width_twips, expectedTwips(640, 2835 * 0.0254));

    PictureView view;
    QVERIFY(view.loadPicture(stated).ok());
    QCOMPARE(view.pictureWidth_twips(), expectedTwips(640, 2835 * 0.0254));
    QCOMPARE(view.pictureHeight_twips(), expectedTwips(480, 2835 * 0.0254));
    QCOMPARE(pictureTwips(800, 0), expectedTwips(800, 96));
}

// Bitmaps, JPEG, PNG and GIF load; a missing or broken file says which and why and leaves the
// picture that was there.
void TestPictureView::pictureFormatsAndUnreadableFiles()
{
    StationFixture fx;
    const QImage image = testPicture(32, 24);
    QVERIFY(image.save(fx.path(QStringLiteral("a.png")), "PNG"));
    QVERIFY(image.save(fx.path(QStringLiteral("a.jpg")), "JPEG"));
    QVERIFY(writeBytes(fx.path(QStringLiteral("a.gif")),
                       QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000"
                                           "002c00000000010001000002024401003b")));
    QVERIFY(writeBytes(fx.path(QStringLiteral("a.bmp")), bitmapFile(3, 2, 0)));
    PictureView view;
    for (const char* name : {"a.png", "a.jpg", "a.gif", "a.bmp"}) {
        const Outcome loaded = view.loadPicture(fx.path(QLatin1String(name)));
        QVERIFY2(loaded.ok(), qPrintable(loaded.message()));
    }
    QCOMPARE(view.picture().size(), QSize(3, 2));

    QVERIFY(writeBytes(fx.path(QStringLiteral("broken.bmp")), "BM not a picture"));
    for (const char* name : {"broken.bmp", "missing.jpg"}) {
        const Outcome failed = view.loadPicture(fx.path(QLatin1String(name)));
        QVERIFY(!failed.ok());
        QVERIFY2(failed.message().startsWith(QStringLiteral("could not read ")),
                 qPrintable(failed.message()));
        QVERIFY(failed.message().contains(QLatin1String(name)));
    }
    QCOMPARE(view.picture().size(), QSize(3, 2));
}

// Lines, crosses, circles and dots land on the picture pixels of their twips; clearing the
// drawing removes them and keeps the picture.
void TestPictureView::overlaysDrawAtTheirPixelsAndClearingKeepsThePicture()
{
    PictureView view;
    view.setPicture(testPicture());
    const QRgb red = qRgb(255, 0, 0);
    view.addLine(QPointF(1500, 900), QPointF(1650, 900), kRed);
    view.addCross(QPointF(300, 300), 45, kYellow);
    view.addDot(QPointF(1800, 1800), kMagenta, 1);
    QImage drawn = view.renderedImage(true);
    QCOMPARE(drawn.pixel(100, 60), red);
    QCOMPARE(drawn.pixel(110, 60), red);
    QCOMPARE(drawn.pixel(100, 61), qRgb(10, 20, 30));
    QCOMPARE(drawn.pixel(20, 17), qRgb(255, 255, 0)); // arm end: 300 - 45 twips is pixel 17
    QCOMPARE(drawn.pixel(23, 20), qRgb(255, 255, 0));
    QCOMPARE(drawn.pixel(120, 120), qRgb(255, 0, 255));
    QCOMPARE(view.renderedImage(false).pixel(100, 60), qRgb(10, 20, 30));

    view.clearDrawing();
    QCOMPARE(view.itemCount(), 0);
    QVERIFY(view.hasPicture());
    QCOMPARE(view.renderedImage(true).pixel(100, 60), qRgb(10, 20, 30));
    view.clearPicture();
    QVERIFY(!view.hasPicture());
    QVERIFY(view.renderedImage().isNull());
}

void TestPictureView::itemChangesAndUnknownIds()
{
    PictureView view;
    view.setPicture(testPicture());
    const auto line = view.addLine(QPointF(0, 0), QPointF(150, 0), kWhite);
    QVERIFY(view.setLine(line, QPointF(15, 15), QPointF(30, 300)));
    QVERIFY(view.moveItem(line, QPointF(45, 45)));
    QCOMPARE(view.item(line)->b, QPointF(60, 330)); // a line moves whole
    QVERIFY(view.setItemVisible(line, false));
    QCOMPARE(view.renderedImage().pixel(3, 3), qRgb(10, 20, 30));
    QVERIFY(view.removeItem(line));
    QVERIFY(!view.item(line));
    QVERIFY(!view.setLine(line, QPointF(), QPointF()));
    QVERIFY(!view.setItemColor(line, kRed));
    QVERIFY(!view.removeItem(line));
}

void TestPictureView::colourIsBlueGreenRed()
{
    QCOMPARE(colorFromRgb(0x0000FF), QColor(255, 0, 0));
    QCOMPARE(colorFromRgb(0xFF0000), QColor(0, 0, 255));
    QCOMPARE(colorFromRgb(0x00FFFF), QColor(255, 255, 0));
    QCOMPARE(colorFromRgb(0x123456), QColor(0x56, 0x34, 0x12));
}

// Dragging a draggable label moves it by the mouse's way in twips and is no click on the picture.
void TestPictureView::draggableLabelMovesAndReportsNoClick()
{
    PictureView view;
    view.resize(500, 400);
    view.setPicture(testPicture());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setZoom(PictureView::Zoom::Double);
    const auto label = view.addLabel(QPointF(300, 300), QStringLiteral("Buoy 1"), kWhite, true);
    QSignalSpy pressed(&view, &PictureView::mousePressed);
    QSignalSpy moved(&view, &PictureView::labelMoved);
    const QPointF grab = view.twipsToWidget(QPointF(300, 300)) + QPointF(3, 3);
    const double k = 2.0 / kRatio; // logical pixels per picture pixel
    const QPointF drop = grab + QPointF(10, 4) * k;
    sendMouse(view.viewport(), QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    sendMouse(view.viewport(), QEvent::MouseMove, drop, Qt::NoButton, Qt::LeftButton);
    sendMouse(view.viewport(), QEvent::MouseButtonRelease, drop, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(0).toInt(), label);
    QCOMPARE(moved.first().at(1).toPointF(), QPointF(450, 360));
    QCOMPARE(view.item(label)->a, QPointF(450, 360));

    // A label that is not draggable lets the click through.
    view.addLabel(QPointF(1500, 1500), QStringLiteral("fixed"), kWhite, false);
    pressAt(view, view.twipsToWidget(QPointF(1500, 1500)) + QPointF(2, 2));
    QCOMPARE(pressed.count(), 1);
}

// A panel dragged by its handle moves with its companions by the mouse's way; others stay.
void TestPictureView::movablePanelCarriesItsCompanions()
{
    PictureView view;
    view.resize(500, 400);
    auto* handle = new QLabel(QStringLiteral("Micro-Adjust (drag-it)"), view.panelParent());
    auto* arrow = new QLabel(QStringLiteral(">"), view.panelParent());
    auto* other = new QLabel(QStringLiteral("other"), view.panelParent());
    handle->move(10, 20);
    arrow->move(30, 50);
    other->move(200, 200);
    view.makeMovable(handle, {arrow});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy dropped(&view, &PictureView::panelMoved);
    sendMouse(handle, QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(handle, QEvent::MouseMove, QPointF(45, 35), Qt::NoButton, Qt::LeftButton);
    sendMouse(handle, QEvent::MouseButtonRelease, QPointF(45, 35), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(handle->pos(), QPoint(50, 50));
    QCOMPARE(arrow->pos(), QPoint(70, 80));
    QCOMPARE(other->pos(), QPoint(200, 200));
    QCOMPARE(dropped.count(), 1);
    // A move after the release drags nothing.
    sendMouse(handle, QEvent::MouseMove, QPointF(90, 90), Qt::NoButton, Qt::NoButton);
    QCOMPARE(handle->pos(), QPoint(50, 50));
}

// The magnifier shows the pixel a click would take, 4x or 8x with Shift, only when switched on.
void TestPictureView::magnifierFollowsTheCursor()
{
    PictureView view;
    view.resize(500, 400);
    view.setPicture(testPicture());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QPointF pos = QPointF(100.3, 60.3) / kRatio;
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
    QVERIFY(!view.magnifier()->isVisible());
    view.setMagnifierEnabled(true);
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
    QVERIFY(view.magnifier()->isVisible());
    QCOMPARE(view.magnifier()->pixel(), QPoint(100, 60));
    QCOMPARE(view.magnifier()->factor(), Magnifier::kFactor);
    QCOMPARE(QPointF(view.magnifier()->pixel()) * 15, view.widgetToTwips(pos));
    sendMouse(view.viewport(), QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton,
              Qt::ShiftModifier);
    QCOMPARE(view.magnifier()->factor(), Magnifier::kStrongFactor);
    // The panel keeps out of the cursor's way.
    QVERIFY(!view.magnifier()->geometry().contains(pos.toPoint()));
    const QPointF corner(view.viewport()->width() - 20, 20);
    sendMouse(view.viewport(), QEvent::MouseMove, corner, Qt::NoButton, Qt::NoButton);
    QVERIFY(!view.magnifier()->geometry().contains(corner.toPoint()));
    view.setMagnifierEnabled(false);
    QVERIFY(!view.magnifier()->isVisible());
}

// Save Picture writes a bitmap of the picture's own size with the drawing, replaced whole.
void TestPictureView::savedBitmapHoldsTheDrawing()
{
    StationFixture fx;
    PictureView view;
    const QString path = fx.path(QStringLiteral("Leejump2.bmp"));
    const Outcome nothing = view.saveBitmap(path);
    QVERIFY(!nothing.ok());
    QVERIFY(!QFile::exists(path));
    view.setPicture(testPicture());
    view.addLine(QPointF(0, 150), QPointF(300, 150), kRed);
    QVERIFY(view.saveBitmap(path).ok());
    QVERIFY(readBytes(path).startsWith("BM"));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(200, 150));
    QCOMPARE(saved.pixel(10, 10), qRgb(255, 0, 0));
    QCOMPARE(saved.pixel(10, 11), qRgb(10, 20, 30));
    const Outcome noFolder = view.saveBitmap(fx.path(QStringLiteral("gone/x.bmp")));
    QVERIFY(!noFolder.ok());
    QVERIFY(noFolder.message().startsWith(QStringLiteral("Could not write to ")));
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
