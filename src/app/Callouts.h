#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace fw {

class Station;
enum class Screen;

// One numbered mark on a picture of a screen, pointing at a control found by its object name.
struct Callout {
    int number = 0;
    QString control;
};

// A picture of the manual with the numbered marks drawn on it.
struct CalloutPicture {
    QString picture; // the file's name without ".png"
    Screen screen;
    QList<Callout> callouts;
};

// Every picture of the manual that carries numbered marks, with its marks in number order. The
// manual's legend under each picture uses the same numbers.
const QList<CalloutPicture>& manualCallouts();
// The marks of one picture; empty for a picture without any.
QList<Callout> calloutsOf(const QString& picture);

// The screen a picture shows (created if it was not yet).
QWidget& screenWidget(Station& station, Screen screen);

// Where a control is on its screen, in the screen's own pixels: a widget shown on it, or an item
// of its menu bar (a menu's item points at the menu's title). None when the screen has no such
// control or does not show it.
std::optional<QRect> controlPlace(QWidget& screen, const QString& control);

// The caption the control shows the operator (a button's or option's text, a label's text, a
// frame's title, a menu item's text), without its underline marks. Empty for controls without a
// caption (text boxes, lists, pictures) or when the screen has no such control.
QString controlCaption(QWidget& screen, const QString& control);

// Draws the numbered marks on a picture of the screen taken at the screen's own size. The names
// of controls that could not be found, or are not shown, are returned; nothing is drawn for them.
QStringList drawCallouts(QImage& picture, QWidget& screen, const QList<Callout>& callouts);

} // namespace fw
