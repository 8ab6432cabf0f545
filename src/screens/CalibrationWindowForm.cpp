#include "screens/CalibrationWindowForm.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

#include <utility>

namespace fw {

void CalibrationWindowForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("Calibration Assistant"));
    window.setWindowFlag(Qt::Tool);
    auto* central = new QWidget(&window);
    auto* grid = new QGridLayout(central);
    const auto edit = [&](QLineEdit*& e) {
        e = new QLineEdit(central);
        e->setMinimumWidth(80);
    };
    for (QLineEdit** e :
         {&point1PictureXEdit, &point1PictureYEdit, &point2PictureXEdit, &point2PictureYEdit,
          &point1ActualXEdit, &point1ActualYEdit, &point2ActualXEdit, &point2ActualYEdit})
        edit(*e);
    pictureColumnLabel = new QLabel(QStringLiteral("Screen (twips)"), central);
    actualColumnLabel = new QLabel(QStringLiteral("Actual (meters)"), central);
    grid->addWidget(pictureColumnLabel, 0, 1, 1, 2);
    grid->addWidget(actualColumnLabel, 0, 3, 1, 2);
    const char* captions[] = {"x", "y", "x", "y"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QLatin1String(captions[c]), central), 1, c + 1);
    grid->addWidget(new QLabel(QStringLiteral("Point 1"), central), 2, 0);
    grid->addWidget(point1PictureXEdit, 2, 1);
    grid->addWidget(point1PictureYEdit, 2, 2);
    grid->addWidget(point1ActualXEdit, 2, 3);
    grid->addWidget(point1ActualYEdit, 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("Point 2"), central), 3, 0);
    grid->addWidget(point2PictureXEdit, 3, 1);
    grid->addWidget(point2PictureYEdit, 3, 2);
    grid->addWidget(point2ActualXEdit, 3, 3);
    grid->addWidget(point2ActualYEdit, 3, 4);
    grid->addWidget(new QLabel(QStringLiteral("Input:"), central), 4, 0);
    inputKindButton = new QPushButton(QStringLiteral("Actual"), central);
    drawButton = new QPushButton(QStringLiteral("Draw"), central);
    eraseButton = new QPushButton(QStringLiteral("Erase"), central);
    grid->addWidget(inputKindButton, 4, 1);
    grid->addWidget(drawButton, 4, 3);
    grid->addWidget(eraseButton, 4, 4);
    window.setCentralWidget(central);
    exitAction = window.menuBar()->addAction(QStringLiteral("E&xit"));
    const std::pair<QObject*, const char*> names[] = {{point1PictureXEdit, "point1PictureXEdit"},
                                                      {point1PictureYEdit, "point1PictureYEdit"},
                                                      {point2PictureXEdit, "point2PictureXEdit"},
                                                      {point2PictureYEdit, "point2PictureYEdit"},
                                                      {point1ActualXEdit, "point1ActualXEdit"},
                                                      {point1ActualYEdit, "point1ActualYEdit"},
                                                      {point2ActualXEdit, "point2ActualXEdit"},
                                                      {point2ActualYEdit, "point2ActualYEdit"},
                                                      {inputKindButton, "inputKindButton"},
                                                      {drawButton, "drawButton"},
                                                      {eraseButton, "eraseButton"},
                                                      {pictureColumnLabel, "pictureColumnLabel"},
                                                      {actualColumnLabel, "actualColumnLabel"},
                                                      {exitAction, "exitAction"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));
}

} // namespace fw
