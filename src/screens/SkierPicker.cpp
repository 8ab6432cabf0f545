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
    skierList = new QListWidget(this);
    skierList->setObjectName(QStringLiteral("skierList"));
    instructionLabel = new QLabel(QStringLiteral("Double Click on Skier Name to select it"), this);
    instructionLabel->setObjectName(QStringLiteral("instructionLabel"));
    noSelectionButton = new QPushButton(QStringLiteral("No Selection"), this);
    noSelectionButton->setObjectName(QStringLiteral("noSelectionButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(skierList);
    layout->addWidget(instructionLabel);
    layout->addWidget(noSelectionButton);
    resize(320, 420);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    move(origin + QPoint(kLeft_twips / kTwipsPerPixel, kTop_twips / kTwipsPerPixel));

    connect(skierList, &QListWidget::itemDoubleClicked, this, &SkierPicker::chooseCurrentSkier);
    connect(noSelectionButton, &QPushButton::clicked, this, &SkierPicker::closeWithoutChoice);

    listSkiers();
}

void SkierPicker::listSkiers()
{
    skierList->clear();
    const Result<QStringList> names = readSkierList(m_path);
    if (!names) {
        m_dialogs.message(names.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    skierList->addItems(*names);
}

void SkierPicker::chooseCurrentSkier()
{
    const QListWidgetItem* item = skierList->currentItem();
    if (!item)
        return;
    m_chosen = item->text();
    close();
    Q_EMIT skierSelected(m_chosen);
}

void SkierPicker::closeWithoutChoice()
{
    close();
}

} // namespace fw
