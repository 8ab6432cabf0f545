// The comma-separated field reader that grid, check buoy, .info and name files share.

#include "support/FieldReader.h"

#include <QTest>

using namespace fw;

namespace {

// The next `n` fields as read, "<end>" for a field that was not there.
QStringList fields(FieldReader& r, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << r.nextField().value_or(QStringLiteral("<end>"));
    return out;
}

} // namespace

class TestFieldReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsEndAtCommasAndLineEnds();
    void quotedFieldsAndStrayQuotes();
    void numbersAndTheirFailures();
};

void TestFieldReader::fieldsEndAtCommasAndLineEnds()
{
    FieldReader r(QStringLiteral(" 4500 , 3000 ,  12.5 ,-3 \r\nnext line\r\n"));
    QCOMPARE(fields(r, 6), (QStringList{QStringLiteral("4500"), QStringLiteral("3000"),
                                        QStringLiteral("12.5"), QStringLiteral("-3"),
                                        QStringLiteral("next line"), QStringLiteral("<end>")}));
    QVERIFY(r.atEnd());
    // Empty fields: between commas, an empty line, before and after a lone comma.
    FieldReader e(QStringLiteral("a,,b\r\n\r\n,\r\n"));
    QCOMPARE(fields(e, 6), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"),
                                        QString(), QString(), QString()}));
    QVERIFY(e.atEnd());
}

void TestFieldReader::quotedFieldsAndStrayQuotes()
{
    // Anything after the closing quote up to the field's end is passed over.
    FieldReader r(
        QStringLiteral("\"Left camera, north bank\"\r\n\"a\" junk ,b\r\n  \"x,y\"  \r\n"));
    QCOMPARE(fields(r, 4),
             (QStringList{QStringLiteral("Left camera, north bank"), QStringLiteral("a"),
                          QStringLiteral("b"), QStringLiteral("x,y")}));
    QVERIFY(r.atEnd());
    // Files edited on other systems: LF alone ends a line too; an unclosed quote runs to the end.
    FieldReader lf(QStringLiteral("1\n2\n\"open, never closed\n3"));
    QCOMPARE(lf.nextNumber().value(), 1.0);
    QCOMPARE(lf.nextNumber().value(), 2.0);
    QCOMPARE(fields(lf, 1), QStringList{QStringLiteral("open, never closed\n3")});
    QVERIFY(lf.atEnd());
}

void TestFieldReader::numbersAndTheirFailures()
{
    FieldReader r(QStringLiteral(" 1.5E-05 ,-.25, ,abc\r\n"));
    QCOMPARE(r.nextNumber().value(), 1.5e-05);
    QCOMPARE(r.nextNumber().value(), -0.25);
    QCOMPARE(r.nextNumber().value(), 0.0); // an empty field reads as 0
    QCOMPARE(r.nextNumber().message(), QStringLiteral("\"abc\" on line 1 is not a number"));
    QCOMPARE(r.nextNumber().message(),
             QStringLiteral("the file ends early (a number was expected on line 2)"));
    // The last line needs no line end.
    FieldReader last(QStringLiteral("1\r\n2"));
    QCOMPARE(last.nextNumber().value(), 1.0);
    QCOMPARE(last.nextNumber().value(), 2.0);
    QVERIFY(last.atEnd());
}

QTEST_GUILESS_MAIN(TestFieldReader)
#include "test_fieldreader.moc"
