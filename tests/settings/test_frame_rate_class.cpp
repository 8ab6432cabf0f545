// The frame-rate class the main screen states for the capture frame rate.

#include "settings/FrameRateClass.h"

#include <QTest>

#include <limits>

using namespace fw;

class TestFrameRateClass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classesStartAtTheirThresholds_data();
    void classesStartAtTheirThresholds();
};

void TestFrameRateClass::classesStartAtTheirThresholds_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("caption");
    const QString none;
    const QString normal = QStringLiteral("Currently Configured for Normal/C");
    const QString l = QStringLiteral("Currently Configured for L");
    const QString r = QStringLiteral("Currently Configured for R");
    QTest::newRow("below 5") << 4.99 << none;
    QTest::newRow("5") << 5.0 << normal;
    QTest::newRow("just below 15") << 14.99 << normal;
    QTest::newRow("15") << 15.0 << l;
    QTest::newRow("just below 25") << 24.99 << l;
    QTest::newRow("25") << 25.0 << r;
    QTest::newRow("a high-speed camera") << 240.0 << r;
    QTest::newRow("negative") << -30.0 << none;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << none;
}

void TestFrameRateClass::classesStartAtTheirThresholds()
{
    QFETCH(double, rate);
    QFETCH(QString, caption);
    QCOMPARE(frameRateClassCaption(rate), caption);
}

QTEST_MAIN(TestFrameRateClass)
#include "test_frame_rate_class.moc"
