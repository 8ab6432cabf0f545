#include "screens/ManualViewer.h"

#include "station/Station.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace fw {

namespace {

struct ManualText {
    QString text;
    bool html = false;
    QString note; // a one-line note shown above the built-in manual
};

ManualText readManual(const StationPaths& paths)
{
    ManualText manual;
    // An operator's own manual beside the program takes the place of the built-in one.
    for (const char* name : {"QX05Manual.md", "QX05Manual.html"}) {
        const QString path = paths.inStation(QLatin1String(name));
        if (!QFileInfo::exists(path))
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            manual.text = QString::fromUtf8(file.readAll());
            if (file.error() == QFileDevice::NoError) {
                manual.html = path.endsWith(QLatin1String(".html"));
                return manual;
            }
        }
        manual.note = QStringLiteral("Could not read %1 (%2); showing the built-in manual.")
                          .arg(path, file.errorString());
        break;
    }
    QFile builtIn(QStringLiteral(":/docs/manual.md"));
    if (builtIn.open(QIODevice::ReadOnly))
        manual.text = QString::fromUtf8(builtIn.readAll());
    return manual;
}

// Past this many matches only the first are marked: marking is a help, not the search itself.
constexpr int kMostMarkedMatches = 2000;

} // namespace

ManualViewer::ManualViewer(Station& station, QWidget* parent) : QWidget(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005 Manual"));
    auto* layout = new QVBoxLayout(this);
    titleLabel = new QLabel(QStringLiteral("Farwater 2005 Manual"), this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    QFont heading = titleLabel->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    titleLabel->setFont(heading);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    contentsTree = new QTreeWidget(splitter);
    contentsTree->setObjectName(QStringLiteral("contentsTree"));
    contentsTree->setHeaderLabel(QStringLiteral("Contents"));
    contentsTree->header()->setStretchLastSection(true);
    auto* reading = new QWidget(splitter);
    auto* readingLayout = new QVBoxLayout(reading);
    readingLayout->setContentsMargins(0, 0, 0, 0);
    auto* searchRow = new QHBoxLayout;
    searchEdit = new QLineEdit(reading);
    searchEdit->setObjectName(QStringLiteral("searchEdit"));
    searchEdit->setPlaceholderText(QStringLiteral("Search the manual (Ctrl+F)"));
    searchEdit->setClearButtonEnabled(true);
    findPreviousButton = new QPushButton(QStringLiteral("Previous"), reading);
    findPreviousButton->setObjectName(QStringLiteral("findPreviousButton"));
    findNextButton = new QPushButton(QStringLiteral("Next"), reading);
    findNextButton->setObjectName(QStringLiteral("findNextButton"));
    searchStatus = new QLabel(reading);
    searchStatus->setObjectName(QStringLiteral("searchStatus"));
    searchRow->addWidget(searchEdit, 1);
    searchRow->addWidget(findPreviousButton);
    searchRow->addWidget(findNextButton);
    searchRow->addWidget(searchStatus);
    manualText = new QTextBrowser(reading);
    manualText->setObjectName(QStringLiteral("manualText"));
    manualText->setReadOnly(true);
    manualText->setOpenExternalLinks(false);
    // Pictures named relative to the manual: beside a local manual in the station folder, then
    // the built-in manual's own.
    manualText->setSearchPaths({station.paths().stationFolder(), QStringLiteral(":/docs")});
    readingLayout->addLayout(searchRow);
    readingLayout->addWidget(manualText, 1);
    splitter->addWidget(contentsTree);
    splitter->addWidget(reading);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 740});

    doneButton = new QPushButton(QStringLiteral("Done"), this);
    doneButton->setObjectName(QStringLiteral("doneButton"));
    layout->addWidget(titleLabel);
    layout->addWidget(splitter, 1);
    layout->addWidget(doneButton, 0, Qt::AlignRight);
    resize(1000, 700);
    connectControls();
}

void ManualViewer::connectControls()
{
    connect(doneButton, &QPushButton::clicked, this, &ManualViewer::returnToMainScreen);
    connect(contentsTree, &QTreeWidget::itemClicked, this, &ManualViewer::showSection);
    connect(contentsTree, &QTreeWidget::itemActivated, this, &ManualViewer::showSection);
    connect(findNextButton, &QPushButton::clicked, this, &ManualViewer::findNext);
    connect(findPreviousButton, &QPushButton::clicked, this, &ManualViewer::findPrevious);
    connect(searchEdit, &QLineEdit::textChanged, this, [this] {
        // Typing refines the match in place: the search starts where the current match does.
        QTextCursor at = manualText->textCursor();
        at.setPosition(at.selectionStart());
        manualText->setTextCursor(at);
        markMatches();
        if (!searchEdit->text().isEmpty())
            find(false);
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            &ManualViewer::focusSearch);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            &ManualViewer::findNext);
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
            &ManualViewer::findPrevious);
    manualText->installEventFilter(this);
    searchEdit->installEventFilter(this);
}

bool ManualViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == manualText && event->type() == QEvent::Resize)
        fitPictures();
    if (watched == searchEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape && !searchEdit->text().isEmpty()) {
            searchEdit->clear();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ManualViewer::fitPictures()
{
    QTextDocument* document = manualText->document();
    // The room beside the vertical scroll bar, which a manual this long always has.
    const double room = manualText->width() - 2 * manualText->frameWidth() -
                        manualText->verticalScrollBar()->sizeHint().width() -
                        2 * document->documentMargin() - 4;
    if (room <= 0)
        return;
    struct Change {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            auto known = m_pictureSizes.find(format.name());
            if (known == m_pictureSizes.end()) {
                const QVariant data =
                    manualText->loadResource(QTextDocument::ImageResource, QUrl(format.name()));
                const QImage picture = data.typeId() == QMetaType::QImage
                                           ? data.value<QImage>()
                                           : QImage::fromData(data.toByteArray());
                QSize size = picture.size();
                // A width a local manual gives its picture is the most it is shown at.
                if (!size.isEmpty() && format.hasProperty(QTextFormat::ImageWidth) &&
                    format.width() > 0 && format.width() < size.width())
                    size = QSize(qRound(format.width()),
                                 qRound(format.width() * size.height() / size.width()));
                known = m_pictureSizes.insert(format.name(), size);
            }
            const QSize natural = *known;
            if (natural.isEmpty())
                continue;
            const double width = std::min<double>(natural.width(), room);
            if (format.width() == width)
                continue;
            format.setWidth(width);
            format.setHeight(width * natural.height() / natural.width());
            changes.append({fragment.position(), fragment.length(), format});
        }
    }
    if (changes.isEmpty())
        return;
    QTextCursor cursor(document);
    cursor.beginEditBlock(); // laid out once for all the pictures
    for (const Change& change : std::as_const(changes)) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    cursor.endEditBlock();
    // The pictures' new sizes move the text: a match being shown stays in view.
    if (manualText->textCursor().hasSelection())
        showMatch();
}

void ManualViewer::loadManual()
{
    const ManualText manual = readManual(m_station.paths());
    ++m_reads;
    if (manual.html)
        manualText->setHtml(manual.text);
    else if (manual.note.isEmpty())
        manualText->setMarkdown(manual.text);
    else
        manualText->setMarkdown(QStringLiteral("*") + manual.note + QStringLiteral("*\n\n") +
                                manual.text);
    fitPictures();
    buildContents();
    markMatches();
}

void ManualViewer::buildContents()
{
    contentsTree->clear();
    // The entry of the nearest heading above, per level: a heading nests under the last one of
    // a higher level.
    QList<QPair<int, QTreeWidgetItem*>> open;
    for (QTextBlock block = manualText->document()->begin(); block.isValid();
         block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        const QString title = block.text().simplified();
        if (level <= 0 || title.isEmpty())
            continue;
        while (!open.isEmpty() && open.constLast().first >= level)
            open.removeLast();
        auto* item = open.isEmpty() ? new QTreeWidgetItem(contentsTree)
                                    : new QTreeWidgetItem(open.constLast().second);
        item->setText(0, title);
        item->setToolTip(0, title);
        item->setData(0, Qt::UserRole, block.blockNumber());
        open.append({level, item});
    }
    // The chapters in view, their sections folded.
    contentsTree->expandToDepth(0);
}

void ManualViewer::showSection(QTreeWidgetItem* item)
{
    if (!item)
        return;
    QTextDocument* document = manualText->document();
    const QTextBlock block = document->findBlockByNumber(item->data(0, Qt::UserRole).toInt());
    if (!block.isValid())
        return;
    QTextCursor at(block);
    manualText->setTextCursor(at); // a search goes on from the section shown
    const QRectF where = document->documentLayout()->blockBoundingRect(block);
    manualText->verticalScrollBar()->setValue(int(where.top()));
}

void ManualViewer::showMatch()
{
    // A third of the way down, so that the match has its context around it and no scroll bar
    // that comes and goes can hide it.
    manualText->ensureCursorVisible();
    QScrollBar* bar = manualText->verticalScrollBar();
    bar->setValue(bar->value() + manualText->cursorRect().top() -
                  manualText->viewport()->height() / 3);
}

void ManualViewer::focusSearch()
{
    if (!isVisible())
        return;
    searchEdit->setFocus(Qt::ShortcutFocusReason);
    searchEdit->selectAll();
}

bool ManualViewer::findNext()
{
    return find(false);
}

bool ManualViewer::findPrevious()
{
    return find(true);
}

bool ManualViewer::find(bool backwards)
{
    const QString text = searchEdit->text();
    if (text.isEmpty()) {
        searchStatus->clear();
        return false;
    }
    QTextDocument* document = manualText->document();
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor found = document->find(text, manualText->textCursor(), flags);
    if (found.isNull()) {
        // Round the end (or the beginning) of the manual.
        QTextCursor from(document);
        if (backwards)
            from.movePosition(QTextCursor::End);
        found = document->find(text, from, flags);
    }
    if (found.isNull()) {
        searchStatus->setText(QStringLiteral("Not in the manual"));
        return false;
    }
    manualText->setTextCursor(found);
    showMatch();
    const auto index =
        std::lower_bound(m_matchStarts.cbegin(), m_matchStarts.cend(), found.selectionStart()) -
        m_matchStarts.cbegin();
    searchStatus->setText(QStringLiteral("%1 of %2").arg(index + 1).arg(m_matchStarts.size()));
    // The section the match is in, marked in the contents.
    const int blockNumber = found.block().blockNumber();
    QTreeWidgetItem* section = nullptr;
    for (QTreeWidgetItemIterator it(contentsTree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() > blockNumber)
            break;
        section = *it;
    }
    if (section)
        contentsTree->setCurrentItem(section);
    return true;
}

void ManualViewer::markMatches()
{
    QList<QTextEdit::ExtraSelection> marks;
    m_matchStarts.clear();
    const QString text = searchEdit->text();
    if (!text.isEmpty()) {
        QTextDocument* document = manualText->document();
        QTextCharFormat marked;
        marked.setBackground(QColor(255, 230, 120));
        for (QTextCursor at = document->find(text, 0); !at.isNull();
             at = document->find(text, at)) {
            m_matchStarts.append(at.selectionStart());
            if (marks.size() < kMostMarkedMatches)
                marks.append({at, marked});
        }
    }
    manualText->setExtraSelections(marks);
    if (text.isEmpty())
        searchStatus->clear();
    else if (m_matchStarts.isEmpty())
        searchStatus->setText(QStringLiteral("Not in the manual"));
}

void ManualViewer::returnToMainScreen()
{
    m_station.show(Screen::Main, this);
}

} // namespace fw
