// Platform services: dialog filters, keyboard state, station folders, the list width routine,
// and the station's first window.

#include "StationFixture.h"
#include "platform/KeyboardState.h"
#include "platform/QtDialogs.h"
#include "platform/StationPaths.h"
#include "widgets/ListWidth.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

using namespace fw;
using namespace fw::test;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stationFiltersBecomeQtFilters();
    void keyboardStateIgnoresAutoRepeat();
    void exchangeFolderBesideTheStation();
    void listWidthCoversTheWidestEntry();
};

void TestPlatform::stationFiltersBecomeQtFilters()
{
    const QStringList filters = qtNameFilters(QStringLiteral(
        "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.IPT)|*.IPT|"));
    QCOMPARE(filters,
             (QStringList{QStringLiteral("All Files (*)"), QStringLiteral("Text Files (*.TXT)"),
                          QStringLiteral("Parameter Files (*.IPT)")}));
    QCOMPARE(qtNameFilters(QStringLiteral("All Supported Types|*.bmp;*.jpg;*.pic|BMP Files|*.bmp")),
             (QStringList{QStringLiteral("All Supported Types (*.bmp *.jpg *.pic)"),
                          QStringLiteral("BMP Files (*.bmp)")}));
    QCOMPARE(qtNameFilters(QString()), QStringList());
}

void TestPlatform::keyboardStateIgnoresAutoRepeat()
{
    KeyboardState keys;
    QWidget target;
    target.installEventFilter(&keys);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QVERIFY(keys.isDown(Qt::Key_Left));
    // The release that auto-repeat sends between repeats does not let the key go.
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&target, &repeatRelease);
    QVERIFY(keys.isDown(Qt::Key_Left));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
    QVERIFY(!keys.isDown(Qt::Key_Left));
}

void TestPlatform::exchangeFolderBesideTheStation()
{
    StationFixture f;
    // A station of its own (a demo, a test) never shares the scoring program's folder.
    const StationPaths paths(f.stationFolder());
    QCOMPARE(paths.exchangeFolder(),
             QDir::toNativeSeparators(f.stationFolder() + QStringLiteral("/qxio")));
    QCOMPARE(paths.inExchange(QStringLiteral("qxresult.dst")),
             QDir::toNativeSeparators(f.stationFolder() + QStringLiteral("/qxio/qxresult.dst")));
    const StationPaths installed = StationPaths::installedAt(f.stationFolder());
#ifdef Q_OS_WIN
    QCOMPARE(installed.exchangeFolder(), f.stationFolder().left(2) + QStringLiteral("\\qxio"));
#else
    QCOMPARE(installed.exchangeFolder(), paths.exchangeFolder());
#endif
#ifdef Q_OS_UNIX
    // A packaged install never keeps its files beside the programs, even for root.
    for (const char* shared : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/games/"})
        QVERIFY2(StationPaths::isSystemProgramFolder(QString::fromLatin1(shared)), shared);
    // A folder of the operator's own, even one holding a "usr/bin" of its own, stays portable.
    for (const QString& own : {f.stationFolder(), f.stationFolder() + QStringLiteral("/usr/bin"),
                               f.stationFolder() + QStringLiteral("/usr2")})
        QVERIFY2(!StationPaths::isSystemProgramFolder(own), qPrintable(own));
#endif
    // The install's own folders always exist and are usable.
    const StationPaths install = StationPaths::forThisInstall();
    QVERIFY(QDir(install.stationFolder()).exists());
}

void TestPlatform::listWidthCoversTheWidestEntry()
{
    QListWidget list;
    list.resize(120, 100);
    const QString longLine =
        QStringLiteral("12-05-2026    14:03:09      Skier: Smith  Jump: 3       "
                       "Contact Frame:  123    File: D:\\Videos\\Smithjump3.avi");
    list.addItem(QStringLiteral("short"));
    list.addItem(longLine);
    list.show();
    const int extent = applyListWidth(list);
    QCOMPARE(extent, QFontMetrics(list.font()).horizontalAdvance(longLine + QLatin1Char(' ')));
    QApplication::processEvents();
    // The list can now scroll far enough to show the end of the long line.
    QVERIFY(list.horizontalScrollBar()->maximum() + list.viewport()->width() >= extent);
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
