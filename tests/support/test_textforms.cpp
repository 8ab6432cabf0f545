// The number and text forms every file of the station is written in.

#include "support/textforms.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace fw;

class TestTextForms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printFormWritesTheStationsForm_data();
    void printFormWritesTheStationsForm();
    void printFormRoundTripsFifteenDigits();
    void shortForms();
    void entryFieldsReadTheirLeadingNumber_data();
    void entryFieldsReadTheirLeadingNumber();
    void parseNumberRefusesWhatIsNotANumber();
    void roundingIsHalfUpTowardsPlusInfinity();
    void printZonesPlaceItemsAtZoneStarts();
};

void TestTextForms::printFormWritesTheStationsForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("half") << 0.5 << " .5 ";
    QTest::newRow("whole") << 4500.0 << " 4500 ";
    QTest::newRow("negative zero") << -0.0 << " 0 ";
    QTest::newRow("small: exponent form") << 0.000012345 << " 1.2345E-05 ";
    QTest::newRow("still fixed") << 0.0001 << " .0001 ";
    QTest::newRow("fifteen digits") << 123456789012345.0 << " 123456789012345 ";
    QTest::newRow("large: exponent form") << 1e15 << " 1E+15 ";
    QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << " .3 ";
    QTest::newRow("negative fraction") << -12.0625 << "-12.0625 ";
}

void TestTextForms::printFormWritesTheStationsForm()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(printForm(value), expected);
}

void TestTextForms::printFormRoundTripsFifteenDigits()
{
    // Whatever the writer produces, the reader takes back to 15 significant digits.
    QRandomGenerator rng(20261205);
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = rng.generateDouble() * 2 - 1;
        const int exponent = rng.bounded(-12, 16);
        const double v = mantissa * std::pow(10.0, exponent);
        const QString text = printForm(v);
        QVERIFY2(text.endsWith(QLatin1Char(' ')), qPrintable(text));
        const std::optional<double> back = parseNumber(text);
        QVERIFY2(back.has_value(), qPrintable(text));
        const double tolerance = std::fabs(v) * 1e-14;
        QVERIFY2(std::fabs(*back - v) <= tolerance,
                 qPrintable(QStringLiteral("%1 -> %2").arg(v, 0, 'g', 17).arg(text)));
    }
}

// The leading-blank number form, dates, times, and commas made blanks.
void TestTextForms::shortForms()
{
    QCOMPARE(leadingSpace(-45.6), QStringLiteral("-45.6"));
    const QDateTime evening(QDate(2026, 1, 9), QTime(21, 5, 0));
    QCOMPARE(dateText(evening), QStringLiteral("01-09-2026")); // month first
    QCOMPARE(timeText(evening), QStringLiteral("21:05:00"));
    QCOMPARE(monthDayYear(QDate(2031, 3, 7)), QStringLiteral("030731"));
}

void TestTextForms::entryFieldsReadTheirLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("with unit") << "12.5m" << 12.5;
    QTest::newRow("leading blank") << " 4500" << 4500.0;
    QTest::newRow("no zero before point") << "-.5" << -0.5;
    QTest::newRow("placeholder") << "auto" << 0.0;
    QTest::newRow("blanks inside") << "1 2" << 12.0;
    QTest::newRow("unfinished exponent") << "3E" << 3.0;
    QTest::newRow("second number ignored") << "3,4" << 3.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("infinity is not a number") << "inf" << 0.0;
}

void TestTextForms::entryFieldsReadTheirLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(entryNumber(text), expected);
}

void TestTextForms::parseNumberRefusesWhatIsNotANumber()
{
    QCOMPARE(parseNumber(u" -.25 "), std::optional<double>(-0.25));
    QCOMPARE(parseNumber(u"1E+15"), std::optional<double>(1e15));
    for (const char* refused : {"", "12abc", "nan", "inf", "1e999", "1,5"})
        QVERIFY2(!parseNumber(QString::fromLatin1(refused)).has_value(), refused);
}

void TestTextForms::roundingIsHalfUpTowardsPlusInfinity()
{
    QCOMPARE(roundHalfUp(45.65, 1), 45.7);
    QCOMPARE(roundHalfUp(-2.25, 1), -2.2);
    QCOMPARE(roundHalfUp(2.5, 0), 3.0);
    QCOMPARE(roundHalfUp(-2.5, 0), -2.0);
    QCOMPARE(roundHalfUp(45.12345, 4), 45.1235);
    QCOMPARE(intPart(72.6), 72.0);
    QCOMPARE(intPart(-0.5), -1.0);
}

void TestTextForms::printZonesPlaceItemsAtZoneStarts()
{
    const QDateTime when(QDate(2026, 12, 5), QTime(14, 3, 9));
    const QString start = printZones(
        {dateText(when), timeText(when), QStringLiteral("Farwater Measurement Session started  ")});
    QCOMPARE(start, QStringLiteral("12-05-2026    14:03:09      Farwater Measurement Session "
                                   "started  "));
    QCOMPARE(start.indexOf(QLatin1String("Farwater")), 28); // column 29
    // An item that fills its zone to the end keeps a blank before the next one.
    QCOMPARE(printZones({QStringLiteral("12345678901234"), QStringLiteral("x")}),
             QStringLiteral("12345678901234") + QString(14, QLatin1Char(' ')) + QLatin1Char('x'));
}

QTEST_GUILESS_MAIN(TestTextForms)
#include "test_textforms.moc"
