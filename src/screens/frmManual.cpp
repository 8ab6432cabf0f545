#include "screens/frmManual.h"

#include "app/Station.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
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

} // namespace

frmManual::frmManual(Station& station, QWidget* parent) : QWidget(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005 Manual"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Farwater 2005 Manual"), this);
    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    Label1->setFont(heading);
    RichTextBox1 = new QTextBrowser(this);
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setOpenExternalLinks(false);
    // Pictures named relative to the manual: beside a local manual in the station folder, then
    // the built-in manual's own.
    RichTextBox1->setSearchPaths({station.paths().stationFolder(), QStringLiteral(":/docs")});
    cmdDone = new QPushButton(QStringLiteral("Done"), this);
    layout->addWidget(Label1);
    layout->addWidget(RichTextBox1, 1);
    layout->addWidget(cmdDone, 0, Qt::AlignRight);
    resize(900, 700);
    connect(cmdDone, &QPushButton::clicked, this, &frmManual::cmdDone_Click);
    RichTextBox1->installEventFilter(this);
}

bool frmManual::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichTextBox1 && event->type() == QEvent::Resize)
        fitPictures();
    return QWidget::eventFilter(watched, event);
}

void frmManual::fitPictures()
{
    QTextDocument* document = RichTextBox1->document();
    // The room beside the vertical scroll bar, which a manual this long always has.
    const double room = RichTextBox1->width() - 2 * RichTextBox1->frameWidth() -
                        RichTextBox1->verticalScrollBar()->sizeHint().width() -
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
                    RichTextBox1->loadResource(QTextDocument::ImageResource, QUrl(format.name()));
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
}

void frmManual::Form_Load()
{
    const ManualText manual = readManual(m_station.paths());
    ++m_reads;
    if (manual.html)
        RichTextBox1->setHtml(manual.text);
    else if (manual.note.isEmpty())
        RichTextBox1->setMarkdown(manual.text);
    else
        RichTextBox1->setMarkdown(QStringLiteral("*") + manual.note + QStringLiteral("*\n\n") +
                                  manual.text);
    fitPictures();
}

void frmManual::cmdDone_Click()
{
    m_station.show(Screen::Main, this);
}

} // namespace fw
