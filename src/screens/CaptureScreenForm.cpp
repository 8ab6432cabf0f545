#include "screens/CaptureScreenForm.h"

#include "screens/named.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace fw {

namespace {

// The skier, the pass, the time and the counters, each under its caption.
QGridLayout* buildFields(CaptureScreenForm& f, QWidget* central)
{
    auto* fields = new QGridLayout;
    f.skierNameEdit = named(new QLineEdit(QStringLiteral("SkierName"), central), "skierNameEdit");
    f.passEdit = named(new QLineEdit(QStringLiteral("1"), central), "passEdit");
    f.captureTimeCombo = named(new QComboBox(central), "captureTimeCombo");
    f.captureTimeCombo->addItems({QStringLiteral("3.0"), QStringLiteral("4.0"),
                                  QStringLiteral("5.0"), QStringLiteral("6.0")});
    f.timeLeftLabel = named(new QLabel(central), "timeLeftLabel");
    f.framesLabel = named(new QLabel(central), "framesLabel");
    f.framesDroppedLabel = named(new QLabel(central), "framesDroppedLabel");
    f.frameRateLabel = named(new QLabel(central), "frameRateLabel");
    f.contactFrameLabel = named(new QLabel(QStringLiteral(" "), central), "contactFrameLabel");
    int row = 0;
    auto add = [&](const char* caption, QWidget* w) {
        fields->addWidget(new QLabel(QLatin1String(caption), central), row, 0);
        fields->addWidget(w, row++, 1);
    };
    add("Skier Name", f.skierNameEdit);
    add("Pass", f.passEdit);
    add("Capture Time (sec)", f.captureTimeCombo);
    add("Capture Time Left", f.timeLeftLabel);
    add("Frames", f.framesLabel);
    add("Frames Dropped", f.framesDroppedLabel);
    add("Frame Rate (fps)", f.frameRateLabel);
    add("Contact Frame", f.contactFrameLabel);
    return fields;
}

} // namespace

void CaptureScreenForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("Farwater 2005 Capture Screen"));
    auto* central = new QWidget(&window);
    auto* columns = new QHBoxLayout(central);

    livePicture = named(new QLabel(central), "livePicture");
    livePicture->setMinimumSize(320, 240);
    livePicture->setAlignment(Qt::AlignCenter);
    livePicture->setStyleSheet(QStringLiteral("background: black; color: white"));
    columns->addWidget(livePicture, 1);

    auto* side = new QVBoxLayout;
    columns->addLayout(side);
    side->addLayout(buildFields(*this, central));

    startRecordingButton =
        named(new QPushButton(QStringLiteral("Start Recording     (skier hits ramp)"), central),
              "startRecordingButton");
    contactButton = named(new QPushButton(QStringLiteral("Contact"), central), "contactButton");
    stopRecordingButton =
        named(new QPushButton(QStringLiteral("Stop Recording"), central), "stopRecordingButton");
    escapeHintLabel =
        named(new QLabel(QStringLiteral("Hit ESC to stop recording"), central), "escapeHintLabel");
    nameChangedLabel = named(new QLabel(central), "nameChangedLabel");
    nameChangedLabel->setWordWrap(true);
    nameChangedLabel->hide();
    lastKeyEdit = named(new QLineEdit(central), "lastKeyEdit");
    lastKeyEdit->setReadOnly(true);
    lastKeyEdit->setMaximumWidth(60);
    selectNameButton = named(new QPushButton(QStringLiteral("Select Name from File"), central),
                             "selectNameButton");
    wstimsNameButton =
        named(new QPushButton(QStringLiteral("Select WSTIMS Name"), central), "wstimsNameButton");
    viewRecordedButton =
        named(new QPushButton(QStringLiteral("View Already Recorded Jumps"), central),
              "viewRecordedButton");
    backToMainButton = named(new QPushButton(QStringLiteral("Go Back To Main Screen"), central),
                             "backToMainButton");
    for (QWidget* w :
         {static_cast<QWidget*>(startRecordingButton), static_cast<QWidget*>(contactButton),
          static_cast<QWidget*>(stopRecordingButton), static_cast<QWidget*>(escapeHintLabel),
          static_cast<QWidget*>(nameChangedLabel), static_cast<QWidget*>(lastKeyEdit),
          static_cast<QWidget*>(selectNameButton), static_cast<QWidget*>(wstimsNameButton),
          static_cast<QWidget*>(viewRecordedButton), static_cast<QWidget*>(backToMainButton)})
        side->addWidget(w);
    side->addStretch();
    window.setCentralWidget(central);
    contactButton->setEnabled(false);
    stopRecordingButton->setEnabled(false);

    startRecordingAction = window.menuBar()->addAction(QStringLiteral("&Start Recording"));
    startRecordingAction->setObjectName(QStringLiteral("startRecordingAction"));
}

} // namespace fw
