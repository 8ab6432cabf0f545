#include "screens/SkierPicker.h"

#include "measure/SkierNames.h"
#include "support/dialogs.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace fw {

namespace {
// Where the dialog opens: 2280 twips from the left and 120 from the top of the screen.
constexpr int kLeft_twips = 2280;
constexpr int kTop_twips = 120;
constexpr int kTwipsPerPixel = 15;
} // namespace

SkierPicker::SkierPicker(Dialogs& dialogs, QString skierNamesPath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_path(std::move(skierNamesPath))
{
    setWindowTitle(QStringLiteral("Select A Skier"));
    lstSkiers = new QListWidget(this);
    lstSkiers->setObjectName(QStringLiteral("lstSkiers"));
    Label1 = new QLabel(QStringLiteral("Double Click on Skier Name to select it"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmdNoSelect = new QPushButton(QStringLiteral("No Selection"), this);
    cmdNoSelect->setObjectName(QStringLiteral("cmdNoSelect"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstSkiers);
    layout->addWidget(Label1);
    layout->addWidget(cmdNoSelect);
    resize(320, 420);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    move(origin + QPoint(kLeft_twips / kTwipsPerPixel, kTop_twips / kTwipsPerPixel));

    connect(lstSkiers, &QListWidget::itemDoubleClicked, this, &SkierPicker::lstSkiers_DblClick);
    connect(cmdNoSelect, &QPushButton::clicked, this, &SkierPicker::cmdNoSelect_Click);

    Form_Load();
}

void SkierPicker::Form_Load()
{
    lstSkiers->clear();
    const Result<QStringList> names = readSkierList(m_path);
    if (!names) {
        m_dialogs.message(names.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    lstSkiers->addItems(*names);
}

void SkierPicker::lstSkiers_DblClick()
{
    const QListWidgetItem* item = lstSkiers->currentItem();
    if (!item)
        return;
    m_chosen = item->text();
    close();
    Q_EMIT skierSelected(m_chosen);
}

void SkierPicker::cmdNoSelect_Click()
{
    close();
}

} // namespace fw
