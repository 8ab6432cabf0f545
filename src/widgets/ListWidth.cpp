#include "widgets/ListWidth.h"

#include <QFontMetrics>
#include <QListWidget>

namespace fw {

int applyListWidth(QListWidget& list)
{
    const QFontMetrics metrics(list.font());
    int widest = 0;
    for (int i = 0; i < list.count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list.item(i)->text() + QLatin1Char(' ')));
    // The view scrolls over its items' size hints: give every item the widest width.
    for (int i = 0; i < list.count(); ++i) {
        QListWidgetItem* item = list.item(i);
        item->setSizeHint(QSize(widest, metrics.height() + 2));
    }
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.doItemsLayout();
    return widest;
}

} // namespace fw
