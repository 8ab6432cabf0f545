#include "widgets/Magnifier.h"

#include "widgets/PictureView.h"

#include <QPainter>

#include <cmath>

namespace fw {

Magnifier::Magnifier(const PictureView& view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setFixedSize(kSize_px, kSize_px);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void Magnifier::showPixel(QPoint picturePixel, int factor)
{
    m_pixel = picturePixel;
    m_factor = factor > 0 ? factor : kFactor;
    update();
}

void Magnifier::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    const double f = m_factor;
    const QPointF centre(width() / 2.0, height() / 2.0);
    // Target position of picture coordinate (0, 0): the centre of the chosen pixel sits in the
    // middle of the panel.
    const QPointF origin = centre - QPointF((m_pixel.x() + 0.5) * f, (m_pixel.y() + 0.5) * f);

    const QImage& image = m_view.picture();
    if (!image.isNull()) {
        const int halfX = int(std::ceil(width() / (2 * f))) + 1;
        const int halfY = int(std::ceil(height() / (2 * f))) + 1;
        const QRect wanted(m_pixel.x() - halfX, m_pixel.y() - halfY, 2 * halfX + 1, 2 * halfY + 1);
        const QRect source = wanted.intersected(image.rect());
        if (!source.isEmpty()) {
            const QRectF target(origin.x() + source.x() * f, origin.y() + source.y() * f,
                                source.width() * f, source.height() * f);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.drawImage(target, image, source);
        }
    }
    m_view.paintItems(painter, f, origin);

    // The crosshair stops short of the chosen pixel, which is framed, so the pixel stays visible.
    const QRectF cell(centre.x() - f / 2, centre.y() - f / 2, f, f);
    const double gap = f;
    QPen light(QColor(255, 255, 255, 220));
    light.setWidth(0);
    QPen dark(QColor(0, 0, 0, 220));
    dark.setWidth(0);
    dark.setStyle(Qt::DotLine);
    for (const QPen& pen : {light, dark}) {
        painter.setPen(pen);
        painter.drawLine(QPointF(0, centre.y()), QPointF(cell.left() - gap, centre.y()));
        painter.drawLine(QPointF(cell.right() + gap, centre.y()), QPointF(width(), centre.y()));
        painter.drawLine(QPointF(centre.x(), 0), QPointF(centre.x(), cell.top() - gap));
        painter.drawLine(QPointF(centre.x(), cell.bottom() + gap), QPointF(centre.x(), height()));
        painter.drawRect(cell.adjusted(-0.5, -0.5, 0.5, 0.5));
    }
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace fw
