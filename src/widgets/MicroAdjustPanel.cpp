#include "widgets/MicroAdjustPanel.h"

#include "widgets/PictureView.h"

#include <QLabel>
#include <QToolButton>

namespace fw {

namespace {

QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow, QPoint at)
{
    auto* b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setFixedSize(24, 24);
    // The keyboard's arrows belong to the screen's own timer, not to these buttons.
    b->setFocusPolicy(Qt::NoFocus);
    b->move(at);
    return b;
}

} // namespace

MicroAdjustPanel addMicroAdjustPanel(PictureView& view)
{
    QWidget* over = view.panelParent();
    MicroAdjustPanel panel;
    panel.label = new QLabel(QStringLiteral("Micro-Adjust (drag-it)"), over);
    panel.label->move(10, 10);
    panel.label->adjustSize();
    panel.up = arrowButton(over, Qt::UpArrow, {40, 30});
    panel.left = arrowButton(over, Qt::LeftArrow, {14, 54});
    panel.right = arrowButton(over, Qt::RightArrow, {66, 54});
    panel.down = arrowButton(over, Qt::DownArrow, {40, 78});
    view.makeMovable(panel.label, {panel.up, panel.left, panel.right, panel.down});
    return panel;
}

} // namespace fw
