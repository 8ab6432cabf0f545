// The comma-separated field reader that grid, check buoy, .info and name files share.

#include "support/FieldReader.h"

#include <QTest>

using namespace fw;

class TestFieldReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsEndAtCommasAndLineEnds();
    void quotedFieldsKeepCommas();
    void emptyFieldsAndEmptyLines();
    void lastLineWithoutLineEnd();
    void numbersAndTheirFailures();
    void bareLineFeedsAndStrayQuotes();
};

void TestFieldReader::fieldsEndAtCommasAndLineEnds()
{
    FieldReader r(QStringLiteral(" 4500 , 3000 ,  12.5 ,-3 \r\nnext line\r\n"));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("4500")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("3000")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("12.5")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("-3")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("next line")));
    QVERIFY(r.atEnd());
    QVERIFY(!r.nextField().has_value());
}

void TestFieldReader::quotedFieldsKeepCommas()
{
    FieldReader r(QStringLiteral("\"Left camera, north bank\"\r\n\"a\" junk ,b\r\n  \"x,y\"  \r\n"));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("Left camera, north bank")));
    // Anything after the closing quote up to the field's end is passed over.
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("a")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("b")));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("x,y")));
    QVERIFY(r.atEnd());
}

void TestFieldReader::emptyFieldsAndEmptyLines()
{
    FieldReader r(QStringLiteral("a,,b\r\n\r\n,\r\n"));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("a")));
    QCOMPARE(r.nextField(), std::optional<QString>(QString()));
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("b")));
    QCOMPARE(r.nextField(), std::optional<QString>(QString()));  // the empty line
    QCOMPARE(r.nextField(), std::optional<QString>(QString()));  // before the comma
    QCOMPARE(r.nextField(), std::optional<QString>(QString()));  // after it
    QVERIFY(r.atEnd());
}

void TestFieldReader::lastLineWithoutLineEnd()
{
    FieldReader r(QStringLiteral("1\r\n2"));
    QCOMPARE(r.nextNumber().value(), 1.0);
    QCOMPARE(r.nextNumber().value(), 2.0);
    QVERIFY(r.atEnd());
}

void TestFieldReader::numbersAndTheirFailures()
{
    FieldReader r(QStringLiteral(" 1.5E-05 ,-.25, ,abc\r\n"));
    QCOMPARE(r.nextNumber().value(), 1.5e-05);
    QCOMPARE(r.nextNumber().value(), -0.25);
    QCOMPARE(r.nextNumber().value(), 0.0);  // an empty field reads as 0
    const Result<double> bad = r.nextNumber();
    QVERIFY(!bad.ok());
    QCOMPARE(bad.message(), QStringLiteral("\"abc\" on line 1 is not a number"));
    const Result<double> early = r.nextNumber();
    QVERIFY(!early.ok());
    QCOMPARE(early.message(), QStringLiteral("the file ends early (a number was expected on line 2)"));
}

void TestFieldReader::bareLineFeedsAndStrayQuotes()
{
    // Files edited on other systems: LF alone ends a line too; an unclosed quote runs to the end.
    FieldReader r(QStringLiteral("1\n2\n\"open, never closed\n3"));
    QCOMPARE(r.nextNumber().value(), 1.0);
    QCOMPARE(r.nextNumber().value(), 2.0);
    QCOMPARE(r.nextField(), std::optional<QString>(QStringLiteral("open, never closed\n3")));
    QVERIFY(r.atEnd());
}

QTEST_GUILESS_MAIN(TestFieldReader)
#include "test_fieldreader.moc"
