// The operator's manual against the station: every caption and message it quotes is one of the
// program's own texts, every control its pictures mark exists and is explained under the picture
// with its own caption, and the manual viewer's contents and search work through their controls.

#include "StationFixture.h"
#include "app/Callouts.h"
#include "station/Station.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/CaptureScreen.h"
#include "screens/ManualViewer.h"
#include "screens/FrameSelectionScreen.h"

#include <QAbstractTextDocumentLayout>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace fw;
using namespace fw::test;

namespace {

QString sourcePath(const QString& relative)
{
    return QStringLiteral(FARWATER_SOURCE_DIR "/") + relative;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString unescape(const QString& literal)
{
    QString out;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != QLatin1Char('\\') || i + 1 == literal.size()) {
            out += literal[i];
            continue;
        }
        const QChar c = literal[++i];
        // A character by its code ("\u00B1" is the plus-minus sign the operator sees).
        const int digits = c == QLatin1Char('u') ? 4 : c == QLatin1Char('U') ? 8 : 0;
        bool isCode = digits > 0 && i + digits < literal.size();
        const uint code = isCode ? literal.mid(i + 1, digits).toUInt(&isCode, 16) : 0;
        if (isCode) {
            const char32_t character = code;
            out += QString::fromUcs4(&character, 1);
            i += digits;
            continue;
        }
        out += c == QLatin1Char('n')   ? QChar(QLatin1Char('\n'))
               : c == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
               : c == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
                                       : c;
    }
    return out;
}

// The string literals of a C++ source, with literals that are joined into one text (side by
// side, or added one to the next) taken as one, and the underline marks of captions removed
// ("Record &Jump" is shown as "Record Jump").
QStringList stringLiterals(const QString& source)
{
    // A raw string, a string, a comment or a character literal, whichever comes first.
    static const QRegularExpression token(
        QStringLiteral("R\"([^(\\s]*)\\((.*?)\\)\\1\"|\"((?:[^\"\\\\\\n]|\\\\.)*)\"|//[^\\n]*|"
                       "/\\*.*?\\*/|'(?:[^'\\\\\\n]|\\\\.)*'"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression joint(
        QStringLiteral("^\\s*(\\)\\s*\\+\\s*(QStringLiteral|QLatin1String|QString::fromUtf8|"
                       "QString::fromLatin1)?\\s*\\(\\s*)?$"));
    QStringList literals;
    std::optional<QString> current;
    qsizetype lastEnd = -1;
    for (auto it = token.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString all = m.captured(0);
        if (all.startsWith(QLatin1String("//")) || all.startsWith(QLatin1String("/*")) ||
            all.startsWith(QLatin1Char('\'')))
            continue;
        const QString text = m.capturedStart(2) >= 0 ? m.captured(2) : unescape(m.captured(3));
        if (current && joint.match(source.mid(lastEnd, m.capturedStart(0) - lastEnd)).hasMatch())
            *current += text;
        else {
            if (current)
                literals.append(*current);
            current = text;
        }
        lastEnd = m.capturedEnd(0);
    }
    if (current)
        literals.append(*current);
    for (QString& literal : literals) {
        literal.replace(QLatin1String("&&"), QStringLiteral("\x01"));
        literal.remove(QRegularExpression(QStringLiteral("&(?=\\S)")));
        literal.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    }
    return literals;
}

// Every text the program can show: the string literals of its sources and its text resources.
QStringList programTexts()
{
    QStringList texts;
    QDirIterator sources(sourcePath(QStringLiteral("src")),
                         {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (sources.hasNext())
        texts += stringLiterals(readText(sources.next()));
    QDirIterator resources(sourcePath(QStringLiteral("resources")), {QStringLiteral("*.txt")},
                           QDir::Files, QDirIterator::Subdirectories);
    while (resources.hasNext())
        texts += readText(resources.next()).split(QLatin1Char('\n'));
    return texts;
}

// The manual without its code: fenced blocks and `code` show files' contents and the operator's
// own entries, not the program's texts.
QString manualProse()
{
    QString text = readText(sourcePath(QStringLiteral("docs/manual.md")));
    text.remove(QRegularExpression(QStringLiteral("```.*?```"),
                                   QRegularExpression::DotMatchesEverythingOption));
    text.remove(QRegularExpression(QStringLiteral("`[^`\n]*`")));
    return text;
}

QStringList quotedTexts(const QString& text)
{
    QStringList quotes;
    static const QRegularExpression quoted(QStringLiteral("\"([^\"\n]*)\""));
    for (auto it = quoted.globalMatch(text); it.hasNext();)
        quotes.append(it.next().captured(1));
    return quotes;
}

// Whether a quote is the program's: each piece between "..." (where the program puts a name or
// a figure) is part of one of its texts. A short piece must be a whole text, or a whole part of
// one between its placeholders and line ends, so that "m" or "OK" cannot hide in a longer one.
bool isProgramText(const QString& quote, const QStringList& texts, const QString& allTexts)
{
    static const QRegularExpression ellipsis(QStringLiteral("\\.\\.\\."));
    static const QRegularExpression breaks(QStringLiteral("%\\d|\n"));
    const auto isWholeText = [&](const QString& piece) {
        return std::any_of(texts.cbegin(), texts.cend(),
                           [&](const QString& t) { return t.trimmed() == piece; });
    };
    if (isWholeText(quote.trimmed())) // a caption such as "..." is a text of its own
        return true;
    const QStringList pieces = quote.split(ellipsis, Qt::SkipEmptyParts);
    bool any = false;
    for (QString piece : pieces) {
        piece = piece.trimmed();
        if (piece.isEmpty())
            continue;
        any = true;
        if (piece.size() >= 8) {
            if (!allTexts.contains(piece))
                return false;
            continue;
        }
        const bool whole = std::any_of(texts.cbegin(), texts.cend(), [&](const QString& t) {
            if (t.trimmed() == piece)
                return true;
            const QStringList parts = t.split(breaks);
            return parts.size() > 1 &&
                   std::any_of(parts.cbegin(), parts.cend(),
                               [&](const QString& p) { return p.trimmed() == piece; });
        });
        if (!whole)
            return false;
    }
    return any;
}

// The numbered legend under a picture of the manual: item number to its text.
QMap<int, QString> legendOf(const QString& manual, const QString& picture)
{
    QMap<int, QString> legend;
    const QStringList lines = manual.split(QLatin1Char('\n'));
    const QString image = QStringLiteral("(screens/%1.png)").arg(picture);
    static const QRegularExpression item(QStringLiteral("^(\\d+)\\. (.*)$"));
    qsizetype at = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(QLatin1String("![")) && lines[i].contains(image))
            at = i;
    if (at < 0)
        return legend;
    for (qsizetype i = at + 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty() && legend.isEmpty())
            continue;
        const QRegularExpressionMatch m = item.match(lines[i]);
        if (!m.hasMatch())
            break;
        legend.insert(m.captured(1).toInt(), m.captured(2));
    }
    return legend;
}

// A station started on a video folder, past the configuration screen.
struct StartedStation {
    explicit StartedStation(StationFixture& f)
        : station(
              (f.store().write(QStringLiteral("logpath"), f.makeFolder(QStringLiteral("Videos"))),
               f.store()),
              f.dialogs, f.clock, keys, StationPaths(f.stationFolder()))
    {
        f.dialogs.expectMessage(DialogAnswer::No).expectMessage();
        station.start();
        station.configuration().exitAndSave();
    }
    KeyboardState keys;
    Station station;
};

} // namespace

class TestManual : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A caption or message the manual quotes that the program does not have is a statement the
    // operator will look for in vain.
    void quotedTextsAreTheProgramsOwn();
    // The text extraction itself: joined literals, underline marks, placeholders, short quotes.
    void quotedTextsAreFoundAsTheyAreShown();
    // Each numbered mark points at a control its screen has, and the legend under the picture
    // explains every number, quoting the control's own caption.
    void markedControlsExistAndTheirLegendsMatch();
    // The contents pane lists the headings and brings a chosen one to the top of the text.
    void contentsShowTheChosenSection();
    // Ctrl+F, Enter, Shift+Enter and the buttons walk through the matches in order, round the
    // ends, and a text nowhere in the manual is said so without moving.
    void searchWalksThroughTheMatches();
};

void TestManual::quotedTextsAreTheProgramsOwn()
{
    const QStringList texts = programTexts();
    QVERIFY(texts.size() > 500);
    const QString allTexts = texts.join(QLatin1Char('\x02'));
    const QStringList quotes = quotedTexts(manualProse());
    QVERIFY(quotes.size() > 200);
    QStringList missing;
    for (const QString& quote : quotes)
        if (!isProgramText(quote, texts, allTexts) && !missing.contains(quote))
            missing.append(quote);
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("quoted in the manual, not in the program: \"") +
                        missing.join(QStringLiteral("\", \"")) + QLatin1Char('"')));
}

void TestManual::quotedTextsAreFoundAsTheyAreShown()
{
    const QStringList texts = stringLiterals(
        QStringLiteral("a = QStringLiteral(\"Setup is not valid, Field of View is \")"
                       " + n + QStringLiteral(\" degrees\");\n"
                       "b = tr(\"Record &Jump\"); // \"Not a text\"\n"
                       "c = \"Two \" \"halves\";\n"
                       "d = QStringLiteral(\"Front ratio is %1%  Zoom in\");\n"
                       "e = \"ft\"; f = \"He said \\\"hi\\\"\";\n"
                       "g = QStringLiteral(\"\\u00B1 \") + n + QStringLiteral(\" m\");"));
    QCOMPARE(texts, QStringList({QStringLiteral("Setup is not valid, Field of View is "),
                                 QStringLiteral(" degrees"), QStringLiteral("Record Jump"),
                                 QStringLiteral("Two halves"),
                                 QStringLiteral("Front ratio is %1%  Zoom in"),
                                 QStringLiteral("ft"), QStringLiteral("He said \"hi\""),
                                 QStringLiteral("\u00B1 "), QStringLiteral(" m")}));
    const QString all = texts.join(QLatin1Char('\x02'));
    QVERIFY(isProgramText(QStringLiteral("Setup is not valid, Field of View is ... degrees"), texts,
                          all));
    QVERIFY(isProgramText(QStringLiteral("Record Jump"), texts, all));
    QVERIFY(isProgramText(QStringLiteral("ft"), texts, all));
    QVERIFY(isProgramText(QStringLiteral("\u00B1 ... m"), texts, all));
    QVERIFY(isProgramText(QStringLiteral("Front ratio is"), texts, all));
    QVERIFY(!isProgramText(QStringLiteral("Record &Jump"), texts, all));
    QVERIFY(!isProgramText(QStringLiteral("Not a text"), texts, all));
    QVERIFY(!isProgramText(QStringLiteral("Two"), texts, all)); // short: a whole text only
    QVERIFY(!isProgramText(QStringLiteral("Field of View is 37.2 degrees"), texts, all));
    QVERIFY(!isProgramText(QStringLiteral("..."), texts, all));
    QVERIFY(isProgramText(QStringLiteral("..."), texts + QStringList{QStringLiteral("...")}, all));
    QCOMPARE(quotedTexts(QStringLiteral("Press \"Done\" and \"Exit\".\n\"split\nline\"")),
             QStringList({QStringLiteral("Done"), QStringLiteral("Exit")}));
}

void TestManual::markedControlsExistAndTheirLegendsMatch()
{
    StationFixture f;
    StartedStation s(f);
    for (const CalloutPicture& p : manualCallouts())
        screenWidget(s.station, p.screen); // every marked screen created, as on the walk
    const QString manual = readText(sourcePath(QStringLiteral("docs/manual.md")));
    for (const CalloutPicture& p : manualCallouts()) {
        QWidget* screen = &screenWidget(s.station, p.screen);
        const QMap<int, QString> legend = legendOf(manual, p.picture);
        QVERIFY2(legend.size() == p.callouts.size(),
                 qPrintable(QStringLiteral("%1.png: %2 marks, %3 legend items")
                                .arg(p.picture)
                                .arg(p.callouts.size())
                                .arg(legend.size())));
        for (const Callout& c : p.callouts) {
            const QString where =
                QStringLiteral("%1.png mark %2 (%3)").arg(p.picture).arg(c.number).arg(c.control);
            const bool exists =
                screen->findChild<QWidget*>(c.control) || screen->findChild<QAction*>(c.control);
            QVERIFY2(exists, qPrintable(where + QStringLiteral(": no such control")));
            QVERIFY2(legend.contains(c.number), qPrintable(where + QStringLiteral(": no legend")));
            // Labels change with the station's state; buttons, options, frames and menus do not.
            if (screen->findChild<QLabel*>(c.control))
                continue;
            const QString caption = controlCaption(*screen, c.control).simplified();
            if (caption.isEmpty())
                continue;
            const QStringList quoted = quotedTexts(legend[c.number]);
            const bool named = std::any_of(quoted.cbegin(), quoted.cend(), [&](const QString& q) {
                return q.simplified() == caption;
            });
            QVERIFY2(named, qPrintable(where + QStringLiteral(": the legend does not quote \"") +
                                       caption + QLatin1Char('"')));
        }
    }
}

void TestManual::contentsShowTheChosenSection()
{
    StationFixture f;
    StartedStation s(f);
    s.station.mainScreen().openManual();
    ManualViewer& manual = s.station.manual();
    QVERIFY(QTest::qWaitForWindowExposed(&manual));
    QTreeWidget* contents = manual.contentsTree;
    // The manual's parts (a level-one heading each) with their chapters under them, as the
    // manual numbers them, and the sections under those.
    const QString markdown = readText(sourcePath(QStringLiteral("docs/manual.md")));
    const auto headings = [&](const char* marks) {
        return int(markdown.count(
            QRegularExpression(QStringLiteral("(^|\n)%1 [^\n]+").arg(QLatin1String(marks)))));
    };
    QCOMPARE(contents->topLevelItemCount(), headings("#"));
    QTreeWidgetItem* title = contents->topLevelItem(0);
    QVERIFY(title->text(0).contains(QLatin1String("Operator's Manual")));
    int chapters = 0;
    for (int i = 0; i < contents->topLevelItemCount(); ++i)
        chapters += contents->topLevelItem(i)->childCount();
    QCOMPARE(chapters, headings("##"));
    QTreeWidgetItem* chapter = nullptr;
    for (int i = 0; i < title->childCount() && !chapter; ++i)
        if (title->child(i)->childCount() > 1)
            chapter = title->child(i);
    QVERIFY(chapter);
    QVERIFY(title->isExpanded() && !chapter->isExpanded());
    chapter->setExpanded(true);
    QTreeWidgetItem* section = chapter->child(1);
    // A click on the entry: its heading is the first line in view.
    contents->scrollToItem(section);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {},
                      contents->visualItemRect(section).center());
    QTextBrowser* text = manual.manualText;
    const QTextBlock heading = text->textCursor().block();
    QCOMPARE(heading.text().simplified(), section->text(0));
    QVERIFY(heading.blockFormat().headingLevel() > 0);
    const QRectF place = text->document()->documentLayout()->blockBoundingRect(heading).translated(
        0, -text->verticalScrollBar()->value());
    QVERIFY2(place.top() >= -1 && place.top() < 5, qPrintable(QString::number(place.top())));
}

void TestManual::searchWalksThroughTheMatches()
{
    StationFixture f;
    StartedStation s(f);
    s.station.mainScreen().openManual();
    ManualViewer& manual = s.station.manual();
    QVERIFY(QTest::qWaitForWindowActive(&manual));
    QTextBrowser* text = manual.manualText;
    const QString word = QStringLiteral("check buoy");
    const int count = int(text->toPlainText().count(word, Qt::CaseInsensitive));
    QVERIFY(count > 3);

    QTest::keyClick(&manual, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(manual.searchEdit->hasFocus());
    QTest::keyClicks(manual.searchEdit, word);
    // Typing finds the first match; Enter the next; Shift+Enter and the buttons go both ways.
    QCOMPARE(text->textCursor().selectedText().toLower(), word);
    QCOMPARE(manual.searchStatus->text(), QStringLiteral("1 of %1").arg(count));
    const int first = text->textCursor().selectionStart();
    QTest::keyClick(manual.searchEdit, Qt::Key_Return);
    QCOMPARE(manual.searchStatus->text(), QStringLiteral("2 of %1").arg(count));
    const int second = text->textCursor().selectionStart();
    QVERIFY(second > first);
    QTest::keyClick(manual.searchEdit, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(text->textCursor().selectionStart(), first);
    // Round the beginning to the last match, and back round the end to the first.
    QTest::mouseClick(manual.findPreviousButton, Qt::LeftButton);
    QCOMPARE(manual.searchStatus->text(), QStringLiteral("%1 of %1").arg(count));
    QVERIFY(text->textCursor().selectionStart() > second);
    QTest::mouseClick(manual.findNextButton, Qt::LeftButton);
    QCOMPARE(text->textCursor().selectionStart(), first);
    // The match is in view, and its section is the current entry of the contents.
    QVERIFY(text->viewport()->rect().intersects(text->cursorRect()));
    QVERIFY(manual.contentsTree->currentItem());
    // Every match is marked.
    QCOMPARE(text->extraSelections().size(), count);

    // A text nowhere in the manual (pasted into the box): said so, the match shown stays.
    manual.searchEdit->setText(QStringLiteral("qqzzy"));
    QCOMPARE(manual.searchStatus->text(), QStringLiteral("Not in the manual"));
    QVERIFY(!manual.findNext());
    QCOMPARE(text->textCursor().selectionStart(), first);
    QVERIFY(text->extraSelections().isEmpty());
}

QTEST_MAIN(TestManual)
#include "test_manual.moc"
