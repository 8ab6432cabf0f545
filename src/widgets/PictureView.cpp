#include "widgets/PictureView.h"

#include "widgets/Magnifier.h"

#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kDefaultDpi = 96.0;
constexpr int kMagnifierMargin_px = 8;

// The resolution a picture states, or none when it keeps Qt's default (the file said nothing).
double statedDpi(int dotsPerMeter, int defaultDotsPerMeter)
{
    if (dotsPerMeter <= 0 || dotsPerMeter == defaultDotsPerMeter)
        return kDefaultDpi;
    return dotsPerMeter * 0.0254;
}

int defaultDotsPerMeterX()
{
    static const int value = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
    return value;
}

int defaultDotsPerMeterY()
{
    static const int value = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterY();
    return value;
}

constexpr PictureView::Zoom kZoomSteps[] = {PictureView::Zoom::Fit, PictureView::Zoom::Actual,
                                            PictureView::Zoom::Double,
                                            PictureView::Zoom::Quadruple};

} // namespace

QColor colorFromRgb(Rgb rgb)
{
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

double pictureTwips(int pixels, double dotsPerInch)
{
    if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch))
        dotsPerInch = kDefaultDpi;
    // A picture's stored size is whole hundredths of a millimetre.
    const double hundredths = std::round(pixels * 2540.0 / dotsPerInch);
    return hundredths * 15.0 / 26.5;
}

LoadedPicture pictureFromImage(const QImage& image)
{
    LoadedPicture picture;
    picture.image = image;
    if (!image.isNull()) {
        picture.width_twips =
            pictureTwips(image.width(), statedDpi(image.dotsPerMeterX(), defaultDotsPerMeterX()));
        picture.height_twips =
            pictureTwips(image.height(), statedDpi(image.dotsPerMeterY(), defaultDotsPerMeterY()));
    }
    return picture;
}

Result<LoadedPicture> readPicture(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return Result<LoadedPicture>::failure(QStringLiteral("could not read the picture: no file "
                                                             "was named"));
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return Result<LoadedPicture>::failure(
            QStringLiteral("could not read %1: %2").arg(shown, reader.errorString()));
    return pictureFromImage(image);
}

PictureView::PictureView(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    m_magnifier = new Magnifier(*this, viewport());
    updateScrollBars();
}

PictureView::~PictureView() = default;

// --- picture -------------------------------------------------------------------------------

Outcome PictureView::loadPicture(const QString& path)
{
    Result<LoadedPicture> read = readPicture(path);
    if (!read)
        return Outcome::failure(read.message());
    setPicture(*read);
    return Outcome::success();
}

void PictureView::setPicture(const LoadedPicture& picture)
{
    m_picture = picture;
    growWindowToShowPicture();
    fitLargePicture();
    updateScrollBars();
    changed();
}

void PictureView::fitLargePicture()
{
    if (!m_fitsLargePictures || !hasPicture() || m_zoom == Zoom::Fit)
        return;
    if (QWidget* w = window(); w && w != this) {
        if (QLayout* layout = w->layout())
            layout->activate();
    }
    const QSize wanted = (QSizeF(m_picture.image.size()) * scale()).toSize();
    const QSize have = maximumViewportSize();
    if (wanted.width() > have.width() || wanted.height() > have.height())
        setZoom(Zoom::Fit);
}

void PictureView::growWindowToShowPicture()
{
    QWidget* w = window();
    if (!m_growsWindow || !w || w == this || m_picture.image.isNull() || m_zoom == Zoom::Fit ||
        (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    if (m_grownFor.contains(m_picture.image.size()))
        return;
    m_grownFor.append(m_picture.image.size());
    // The view's size as the window's layout gives it, also before the window first shows.
    if (QLayout* layout = w->layout())
        layout->activate();
    const QSize wanted = (QSizeF(m_picture.image.size()) * scale()).toSize();
    const QSize have = maximumViewportSize();
    const QSize extra(std::max(0, wanted.width() - have.width()),
                      std::max(0, wanted.height() - have.height()));
    if (extra.width() == 0 && extra.height() == 0)
        return;
    const QScreen* screen = w->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // A window the system has not shown yet has no frame so far (nor its place): room is kept
    // for a title bar and borders, and the system places it.
    const QWindow* handle = w->windowHandle();
    const bool shown = handle && handle->isExposed();
    QSize frame = w->frameGeometry().size() - w->geometry().size();
    if (!shown || frame.isEmpty())
        frame = frame.expandedTo(QSize(16, 48));
    const QSize target =
        (w->size() + extra).boundedTo(available.size() - frame).expandedTo(w->size());
    if (target == w->size())
        return;
    w->resize(target);
    if (!shown)
        return;
    // Keep the grown window on the screen.
    const QRect placed = w->frameGeometry();
    const int x = std::clamp(placed.x(), available.left(),
                             std::max(available.left(), available.right() + 1 - placed.width()));
    const int y = std::clamp(placed.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - placed.height()));
    if (x != placed.x() || y != placed.y())
        w->move(x, y);
}

void PictureView::setPicture(const QImage& image)
{
    setPicture(pictureFromImage(image));
}

void PictureView::clearPicture()
{
    m_picture = LoadedPicture();
    m_magnifier->hide();
    updateScrollBars();
    changed();
}

// --- overlay items -------------------------------------------------------------------------

PictureView::Entry* PictureView::find(ItemId id)
{
    auto it =
        std::find_if(m_items.begin(), m_items.end(), [id](const Entry& e) { return e.id == id; });
    return it == m_items.end() ? nullptr : &*it;
}

const PictureView::Entry* PictureView::find(ItemId id) const
{
    auto it =
        std::find_if(m_items.begin(), m_items.end(), [id](const Entry& e) { return e.id == id; });
    return it == m_items.end() ? nullptr : &*it;
}

PictureView::ItemId PictureView::add(OverlayItem item)
{
    const ItemId id = m_nextId++;
    m_items.push_back({id, std::move(item)});
    changed();
    return id;
}

void PictureView::changed()
{
    viewport()->update();
    if (m_magnifier->isVisible())
        m_magnifier->update();
}

PictureView::ItemId PictureView::addLine(QPointF from_twips, QPointF to_twips, Rgb color)
{
    OverlayItem item;
    item.kind = OverlayItem::Kind::Line;
    item.a = from_twips;
    item.b = to_twips;
    item.color = color;
    return add(item);
}

PictureView::ItemId PictureView::addCircle(QPointF centre_twips, double radius_twips, Rgb color)
{
    OverlayItem item;
    item.kind = OverlayItem::Kind::Circle;
    item.a = centre_twips;
    item.size = radius_twips;
    item.color = color;
    return add(item);
}

PictureView::ItemId PictureView::addCross(QPointF centre_twips, double arm_twips, Rgb color)
{
    OverlayItem item;
    item.kind = OverlayItem::Kind::Cross;
    item.a = centre_twips;
    item.size = arm_twips;
    item.color = color;
    return add(item);
}

PictureView::ItemId PictureView::addDot(QPointF at_twips, Rgb color, double diameter_px)
{
    OverlayItem item;
    item.kind = OverlayItem::Kind::Dot;
    item.a = at_twips;
    item.size = diameter_px;
    item.color = color;
    return add(item);
}

PictureView::ItemId PictureView::addLabel(QPointF topLeft_twips, const QString& text, Rgb color,
                                          bool draggable)
{
    OverlayItem item;
    item.kind = OverlayItem::Kind::Label;
    item.a = topLeft_twips;
    item.text = text;
    item.color = color;
    item.draggable = draggable;
    return add(item);
}

bool PictureView::setLine(ItemId id, QPointF from_twips, QPointF to_twips)
{
    Entry* e = find(id);
    if (!e)
        return false;
    e->item.a = from_twips;
    e->item.b = to_twips;
    changed();
    return true;
}

bool PictureView::moveItem(ItemId id, QPointF at_twips)
{
    Entry* e = find(id);
    if (!e)
        return false;
    if (e->item.kind == OverlayItem::Kind::Line)
        e->item.b += at_twips - e->item.a;
    e->item.a = at_twips;
    changed();
    return true;
}

bool PictureView::setItemSize(ItemId id, double size)
{
    Entry* e = find(id);
    if (!e)
        return false;
    e->item.size = size;
    changed();
    return true;
}

bool PictureView::setItemColor(ItemId id, Rgb color)
{
    Entry* e = find(id);
    if (!e)
        return false;
    e->item.color = color;
    changed();
    return true;
}

bool PictureView::setItemVisible(ItemId id, bool visible)
{
    Entry* e = find(id);
    if (!e)
        return false;
    e->item.visible = visible;
    changed();
    return true;
}

bool PictureView::setLabelText(ItemId id, const QString& text)
{
    Entry* e = find(id);
    if (!e)
        return false;
    e->item.text = text;
    changed();
    return true;
}

bool PictureView::removeItem(ItemId id)
{
    auto it =
        std::find_if(m_items.begin(), m_items.end(), [id](const Entry& e) { return e.id == id; });
    if (it == m_items.end())
        return false;
    if (m_draggedLabel == id)
        m_draggedLabel.reset();
    m_items.erase(it);
    changed();
    return true;
}

std::optional<OverlayItem> PictureView::item(ItemId id) const
{
    const Entry* e = find(id);
    if (!e)
        return std::nullopt;
    return e->item;
}

void PictureView::clearDrawing()
{
    m_items.clear();
    m_draggedLabel.reset();
    changed();
}

// --- mapping and zoom ----------------------------------------------------------------------

double PictureView::scale() const
{
    // 1:1 is one picture pixel to one pixel of the screen itself, so on a screen scaled by 2 a
    // picture pixel is half a logical pixel.
    const double ratio = std::max(1.0, viewport()->devicePixelRatioF());
    switch (m_zoom) {
    case Zoom::Fit:
        if (hasPicture()) {
            const double sx = double(viewport()->width()) / m_picture.image.width();
            const double sy = double(viewport()->height()) / m_picture.image.height();
            const double s = std::min(sx, sy);
            if (s > 0 && std::isfinite(s))
                return s;
        }
        return 1.0 / ratio;
    case Zoom::Actual:
        return 1.0 / ratio;
    case Zoom::Double:
        return 2.0 / ratio;
    case Zoom::Quadruple:
        return 4.0 / ratio;
    }
    return 1.0 / ratio;
}

QPointF PictureView::scrollOffset() const
{
    return QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QPointF PictureView::pictureCoordinates(QPointF viewportPos) const
{
    return (viewportPos + scrollOffset()) / scale();
}

QPointF PictureView::widgetToTwips(QPointF viewportPos) const
{
    const QPointF c = pictureCoordinates(viewportPos);
    return QPointF(std::floor(c.x()) * kTwipsPerPixel, std::floor(c.y()) * kTwipsPerPixel);
}

QPointF PictureView::twipsToWidget(QPointF twips) const
{
    const double s = scale();
    return QPointF((twips.x() + kTwipsPerPixel / 2) / kTwipsPerPixel * s,
                   (twips.y() + kTwipsPerPixel / 2) / kTwipsPerPixel * s) -
           scrollOffset();
}

void PictureView::setZoom(Zoom zoom)
{
    const bool change = zoom != m_zoom;
    m_zoom = zoom;
    updateScrollBars();
    changed();
    if (change)
        Q_EMIT zoomChanged(zoom);
}

void PictureView::stepZoom(int direction, QPointF anchor)
{
    int index = 0;
    for (int i = 0; i < 4; ++i) {
        if (kZoomSteps[i] == m_zoom)
            index = i;
    }
    const int next = std::clamp(index + direction, 0, 3);
    if (next == index)
        return;
    const QPointF under = pictureCoordinates(anchor);
    setZoom(kZoomSteps[next]);
    // Keep the picture point under the cursor where it was.
    const QPointF scroll = under * scale() - anchor;
    horizontalScrollBar()->setValue(int(std::lround(scroll.x())));
    verticalScrollBar()->setValue(int(std::lround(scroll.y())));
}

void PictureView::updateScrollBars()
{
    const double s = scale();
    const QSize content = hasPicture() && m_zoom != Zoom::Fit
                              ? QSize(int(std::ceil(m_picture.image.width() * s)),
                                      int(std::ceil(m_picture.image.height() * s)))
                              : QSize(0, 0);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width()));
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height()));
    verticalScrollBar()->setSingleStep(16);
}

// --- painting ------------------------------------------------------------------------------

void PictureView::paintItems(QPainter& painter, double k, QPointF origin) const
{
    const auto map = [k, origin](QPointF t) {
        return origin + QPointF((t.x() + kTwipsPerPixel / 2) / kTwipsPerPixel * k,
                                (t.y() + kTwipsPerPixel / 2) / kTwipsPerPixel * k);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Entry& e : m_items) {
        const OverlayItem& item = e.item;
        if (!item.visible)
            continue;
        QPen pen(colorFromRgb(item.color));
        pen.setCosmetic(true);
        pen.setWidth(1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        switch (item.kind) {
        case OverlayItem::Kind::Line:
            painter.drawLine(map(item.a), map(item.b));
            break;
        case OverlayItem::Kind::Circle: {
            const double r = item.size / kTwipsPerPixel * k;
            painter.drawEllipse(map(item.a), r, r);
            break;
        }
        case OverlayItem::Kind::Cross:
            painter.drawLine(map(item.a - QPointF(item.size, 0)),
                             map(item.a + QPointF(item.size, 0)));
            painter.drawLine(map(item.a - QPointF(0, item.size)),
                             map(item.a + QPointF(0, item.size)));
            break;
        case OverlayItem::Kind::Dot: {
            const double d = std::max(1.0, item.size);
            const QPointF c = map(item.a);
            const QRectF square(c.x() - d / 2, c.y() - d / 2, d, d);
            // Below three pixels a circle is a square anyway, and a one-pixel ellipse may
            // vanish altogether.
            if (d < 3) {
                painter.fillRect(square, colorFromRgb(item.color));
            } else {
                painter.setBrush(colorFromRgb(item.color));
                painter.setPen(Qt::NoPen);
                painter.drawEllipse(square);
            }
            break;
        }
        case OverlayItem::Kind::Label:
            painter.setFont(font());
            painter.drawText(labelRect(item, k, origin), Qt::AlignLeft | Qt::AlignTop, item.text);
            break;
        }
    }
    painter.restore();
}

QRectF PictureView::labelRect(const OverlayItem& label, double k, QPointF origin) const
{
    const QFontMetricsF metrics(font());
    const QPointF at = origin + QPointF((label.a.x() + kTwipsPerPixel / 2) / kTwipsPerPixel * k,
                                        (label.a.y() + kTwipsPerPixel / 2) / kTwipsPerPixel * k);
    QRectF rect(at, QSizeF(metrics.horizontalAdvance(label.text) + 2, metrics.height()));
    if (!hasPicture())
        return rect;
    // A label placed near the picture's edge (a buoy's distance, a row number) is drawn inside
    // the picture rather than cut off by it.
    const QRectF picture(origin, QSizeF(m_picture.image.width() * k, m_picture.image.height() * k));
    rect.moveLeft(std::max(picture.left(), std::min(rect.left(), picture.right() - rect.width())));
    rect.moveTop(std::max(picture.top(), std::min(rect.top(), picture.bottom() - rect.height())));
    return rect;
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Window));
    const double s = scale();
    const QPointF origin = -scrollOffset();
    if (hasPicture()) {
        const QImage& image = m_picture.image;
        // Only the part of the picture that shows is scaled.
        const QRectF whole(origin, QSizeF(image.width() * s, image.height() * s));
        const QRectF shown = whole.intersected(QRectF(viewport()->rect()));
        if (!shown.isEmpty()) {
            const int x0 = std::max(0, int(std::floor((shown.left() - origin.x()) / s)));
            const int y0 = std::max(0, int(std::floor((shown.top() - origin.y()) / s)));
            const int x1 =
                std::min(image.width(), int(std::ceil((shown.right() - origin.x()) / s)));
            const int y1 =
                std::min(image.height(), int(std::ceil((shown.bottom() - origin.y()) / s)));
            const QRect source(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
            const QRectF target(origin.x() + x0 * s, origin.y() + y0 * s, source.width() * s,
                                source.height() * s);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, s < 1.0 / 1.5);
            painter.drawImage(target, image, source);
        }
    }
    paintItems(painter, s, origin);
}

QImage PictureView::renderedImage(bool withDrawing) const
{
    if (!hasPicture())
        return QImage();
    QImage image = m_picture.image.convertToFormat(QImage::Format_RGB32);
    if (withDrawing) {
        QPainter painter(&image);
        paintItems(painter, 1.0, QPointF(0, 0));
    }
    return image;
}

Outcome PictureView::saveBitmap(const QString& path, bool withDrawing) const
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!hasPicture())
        return Outcome::failure(
            QStringLiteral("Could not write to %1: there is no picture to save").arg(shown));
    const QImage image = renderedImage(withDrawing);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::failure(
            QStringLiteral("Could not write to %1: %2").arg(shown, file.errorString()));
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        const QString reason = writer.errorString();
        file.cancelWriting();
        return Outcome::failure(QStringLiteral("Could not write to %1: %2").arg(shown, reason));
    }
    if (!file.commit())
        return Outcome::failure(
            QStringLiteral("Could not write to %1: %2").arg(shown, file.errorString()));
    return Outcome::success();
}

// --- mouse, keys and wheel -----------------------------------------------------------------

std::optional<PictureView::ItemId> PictureView::labelAt(QPointF viewportPos) const
{
    const double s = scale();
    const QPointF origin = -scrollOffset();
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        const OverlayItem& item = it->item;
        if (item.kind == OverlayItem::Kind::Label && item.visible && item.draggable &&
            labelRect(item, s, origin).contains(viewportPos))
            return it->id;
    }
    return std::nullopt;
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<ItemId> label = labelAt(pos)) {
            m_draggedLabel = label;
            const Entry* e = find(*label);
            m_dragGrip_twips = pictureCoordinates(pos) * kTwipsPerPixel - e->item.a;
            event->accept();
            return;
        }
    }
    Q_EMIT mousePressed(widgetToTwips(pos), event->button(), event->modifiers());
    event->accept();
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    m_lastMouse = pos;
    m_mouseInside = true;
    updateMagnifier(pos, event->modifiers());
    if (m_draggedLabel) {
        const QPointF at = pictureCoordinates(pos) * kTwipsPerPixel - m_dragGrip_twips;
        moveItem(*m_draggedLabel, QPointF(std::round(at.x()), std::round(at.y())));
        event->accept();
        return;
    }
    Q_EMIT mouseMoved(widgetToTwips(pos), event->buttons(), event->modifiers());
    event->accept();
}

void PictureView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_draggedLabel && event->button() == Qt::LeftButton) {
        const ItemId id = *m_draggedLabel;
        m_draggedLabel.reset();
        if (const Entry* e = find(id))
            Q_EMIT labelMoved(id, e->item.a);
        event->accept();
        return;
    }
    Q_EMIT mouseReleased(widgetToTwips(event->position()), event->button(), event->modifiers());
    event->accept();
}

void PictureView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int dy = event->angleDelta().y();
        if (dy != 0)
            stepZoom(dy > 0 ? 1 : -1, event->position());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

bool PictureView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        m_mouseInside = false;
        m_magnifier->hide();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PictureView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Shift && m_mouseInside)
        updateMagnifier(m_lastMouse, event->modifiers() | Qt::ShiftModifier);
    QAbstractScrollArea::keyPressEvent(event);
}

void PictureView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Shift && m_mouseInside)
        updateMagnifier(m_lastMouse, event->modifiers() & ~Qt::ShiftModifier);
    QAbstractScrollArea::keyReleaseEvent(event);
}

void PictureView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    viewport()->update();
}

void PictureView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- magnifier -----------------------------------------------------------------------------

void PictureView::setMagnifierEnabled(bool on)
{
    m_magnifierOn = on;
    if (!on)
        m_magnifier->hide();
    else if (m_mouseInside)
        updateMagnifier(m_lastMouse, Qt::NoModifier);
}

void PictureView::updateMagnifier(QPointF viewportPos, Qt::KeyboardModifiers modifiers)
{
    if (!m_magnifierOn || !hasPicture()) {
        m_magnifier->hide();
        return;
    }
    const QPointF c = pictureCoordinates(viewportPos);
    const QPoint pixel(int(std::floor(c.x())), int(std::floor(c.y())));
    const int factor =
        (modifiers & Qt::ShiftModifier) ? Magnifier::kStrongFactor : Magnifier::kFactor;
    // Top right, or top left while the cursor is near the top-right corner.
    const QRect right(viewport()->width() - Magnifier::kSize_px - kMagnifierMargin_px,
                      kMagnifierMargin_px, Magnifier::kSize_px, Magnifier::kSize_px);
    const bool near = right
                          .adjusted(-2 * kMagnifierMargin_px, -2 * kMagnifierMargin_px,
                                    2 * kMagnifierMargin_px, 2 * kMagnifierMargin_px)
                          .contains(viewportPos.toPoint());
    m_magnifier->move(near ? QPoint(kMagnifierMargin_px, kMagnifierMargin_px) : right.topLeft());
    m_magnifier->showPixel(pixel, factor);
    m_magnifier->show();
    m_magnifier->raise();
}

// --- movable panels ------------------------------------------------------------------------

void PictureView::makeMovable(QWidget* handle, const QList<QWidget*>& companions)
{
    if (!handle)
        return;
    Panel panel;
    panel.handle = handle;
    for (QWidget* w : companions)
        panel.companions << QPointer<QWidget>(w);
    m_panels << panel;
    handle->installEventFilter(this);
}

bool PictureView::eventFilter(QObject* watched, QEvent* event)
{
    for (Panel& panel : m_panels) {
        if (panel.handle != watched)
            continue;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            panel.dragging = true;
            panel.pressGlobal = mouse->globalPosition();
            panel.startPositions.clear();
            panel.startPositions << panel.handle->pos();
            for (const QPointer<QWidget>& w : panel.companions)
                panel.startPositions << (w ? w->pos() : QPoint());
            return true;
        }
        case QEvent::MouseMove: {
            if (!panel.dragging)
                return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint delta = (mouse->globalPosition() - panel.pressGlobal).toPoint();
            panel.handle->move(panel.startPositions.value(0) + delta);
            for (qsizetype i = 0; i < panel.companions.size(); ++i) {
                if (QWidget* w = panel.companions[i])
                    w->move(panel.startPositions.value(i + 1) + delta);
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (!panel.dragging)
                return false;
            panel.dragging = false;
            Q_EMIT panelMoved(panel.handle);
            return true;
        }
        default:
            return false;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace fw
