#pragma once

// PictureView: the picture that grids are set up and jumps measured on. It shows a background
// picture, keeps a retained list of overlay items (lines, circles, crosses, dots, text labels),
// reports the mouse in twips of the picture's own coordinates and can zoom and magnify without
// changing any stored number.
//
// A twip is a fifteenth of a picture pixel, x right and y down from the picture's top-left
// corner. A click anywhere on picture pixel (px, py) gives (15 px, 15 py), whatever the zoom or
// the screen's scale; overlay positions are drawn at the centre of the pixel that holds them.

#include "settings/StationSettings.h"
#include "support/result.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>

#include <optional>
#include <vector>

namespace fw {

class Magnifier;

// A station colour (0x00BBGGRR) as a Qt colour.
QColor colorFromRgb(Rgb rgb);

// A picture's size in twips from its size in pixels and its resolution: its width in whole
// hundredths of a millimetre (pixels x 2540 / dpi, 96 dpi when the file states none) x 15 / 26.5.
double pictureTwips(int pixels, double dotsPerInch);

// A picture read from a file (BMP, JPEG, GIF, PNG) with its size in twips.
struct LoadedPicture {
    QImage image;
    double width_twips = 0;
    double height_twips = 0;
};

// Reads a picture file. Failure: "could not read <file>: <reason>".
Result<LoadedPicture> readPicture(const QString& path);

// The same for a picture from memory (the clipboard): its stated resolution or 96 dpi.
LoadedPicture pictureFromImage(const QImage& image);

// One retained overlay item. Positions are in twips; a circle's size is its radius in twips, a
// cross's the half-length of its arms in twips, a dot's its diameter in screen pixels.
struct OverlayItem {
    enum class Kind { Line = 1, Circle, Cross, Dot, Label };
    Kind kind = Kind::Line;
    QPointF a; // line start, centre, or a label's top-left corner
    QPointF b; // line end
    double size = 0;
    Rgb color = kWhite;
    QString text;
    bool visible = true;
    bool draggable = false; // labels only
};

class PictureView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { Fit = 1, Actual, Double, Quadruple }; // fit, 1:1, 2:1, 4:1
    using ItemId = int;

    explicit PictureView(QWidget* parent = nullptr);
    ~PictureView() override;

    // The background picture.
    Outcome loadPicture(const QString& path);
    void setPicture(const LoadedPicture& picture);
    void setPicture(const QImage& image);
    void clearPicture();
    bool hasPicture() const { return !m_picture.image.isNull(); }
    const QImage& picture() const { return m_picture.image; }
    double pictureWidth_twips() const { return m_picture.width_twips; }
    double pictureHeight_twips() const { return m_picture.height_twips; }

    // Overlay items; every change repaints. Functions given an unknown id do nothing and
    // return false.
    ItemId addLine(QPointF from_twips, QPointF to_twips, Rgb color);
    ItemId addCircle(QPointF centre_twips, double radius_twips, Rgb color);
    ItemId addCross(QPointF centre_twips, double arm_twips, Rgb color);
    ItemId addDot(QPointF at_twips, Rgb color, double diameter_px = 3);
    ItemId addLabel(QPointF topLeft_twips, const QString& text, Rgb color, bool draggable = false);
    bool setLine(ItemId id, QPointF from_twips, QPointF to_twips);
    bool moveItem(ItemId id, QPointF at_twips);
    bool setItemSize(ItemId id, double size);
    bool setItemColor(ItemId id, Rgb color);
    bool setItemVisible(ItemId id, bool visible);
    bool setLabelText(ItemId id, const QString& text);
    bool removeItem(ItemId id);
    std::optional<OverlayItem> item(ItemId id) const;
    int itemCount() const { return int(m_items.size()); }
    // Clears the drawing: every overlay item goes, the picture stays.
    void clearDrawing();

    // The one mapping from a position on the viewport (logical pixels, as mouse events give it)
    // to picture twips: zoom, scrolling and the screen's pixel ratio included. The result is the
    // top-left twip of the picture pixel under the position.
    QPointF widgetToTwips(QPointF viewportPos) const;
    // Where a twips position is drawn on the viewport: the centre of the pixel that holds it.
    QPointF twipsToWidget(QPointF twips) const;
    // Logical viewport pixels per picture pixel.
    double scale() const;

    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }

    // When on, a picture that arrives larger than the view grows the view's window, as far as the
    // screen allows, so the operator sees the whole picture without scrolling. The window never
    // shrinks, nor changes when maximized or full screen; once grown for a picture size, it is
    // left as the operator sizes it for later pictures of that size, whatever came between.
    void setGrowsWindow(bool on) { m_growsWindow = on; }
    // When on, a picture that arrives larger than the view (after any growing of the window) is
    // shown fitted to the view; the zoom stays the operator's to change.
    void setFitsLargePictures(bool on) { m_fitsLargePictures = on; }

    // The built-in magnifier: a panel showing the picture around the cursor at 4x (8x with
    // Shift held) with a fine crosshair.
    void setMagnifierEnabled(bool on);
    bool magnifierEnabled() const { return m_magnifierOn; }
    Magnifier* magnifier() const { return m_magnifier; }

    // Panels (labels, buttons, groups) laid over the picture are children of this widget.
    QWidget* panelParent() const { return viewport(); }
    // Lets the operator drag a panel by its handle: while the left button is held on the handle,
    // the handle and its companions move with the mouse.
    void makeMovable(QWidget* handle, const QList<QWidget*>& companions = {});

    // The picture with (or without) the overlay items, at the picture's own size.
    QImage renderedImage(bool withDrawing = true) const;
    // Saves renderedImage as a bitmap file, replaced whole.
    Outcome saveBitmap(const QString& path, bool withDrawing = true) const;

    // Draws the overlay items through a mapping from twips to target coordinates.
    void paintItems(QPainter& painter, double pixelsPerPicturePixel, QPointF origin) const;

Q_SIGNALS:
    void mousePressed(QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void mouseMoved(QPointF twips, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void mouseReleased(QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // A draggable label was dropped at a new top-left position.
    void labelMoved(fw::PictureView::ItemId id, QPointF topLeft_twips);
    // A movable panel was dropped.
    void panelMoved(QWidget* handle);
    void zoomChanged(fw::PictureView::Zoom zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Entry {
        ItemId id = 0;
        OverlayItem item;
    };
    struct Panel {
        QPointer<QWidget> handle;
        QList<QPointer<QWidget>> companions;
        bool dragging = false;
        QPointF pressGlobal;
        QList<QPoint> startPositions; // handle first, then companions
    };

    Entry* find(ItemId id);
    const Entry* find(ItemId id) const;
    void growWindowToShowPicture();
    void fitLargePicture();
    ItemId add(OverlayItem item);
    void changed();
    void updateScrollBars();
    QPointF scrollOffset() const;
    // Continuous picture pixel coordinates under a viewport position.
    QPointF pictureCoordinates(QPointF viewportPos) const;
    std::optional<ItemId> labelAt(QPointF viewportPos) const;
    QRectF labelRect(const OverlayItem& label, double pixelsPerPicturePixel, QPointF origin) const;
    void updateMagnifier(QPointF viewportPos, Qt::KeyboardModifiers modifiers);
    void stepZoom(int direction, QPointF anchor);

    LoadedPicture m_picture;
    std::vector<Entry> m_items;
    ItemId m_nextId = 1;
    Zoom m_zoom = Zoom::Actual;

    std::optional<ItemId> m_draggedLabel;
    QPointF m_dragGrip_twips; // from the label's corner to the mouse

    QList<Panel> m_panels;

    Magnifier* m_magnifier = nullptr;
    bool m_magnifierOn = false;
    bool m_growsWindow = false;
    bool m_fitsLargePictures = false;
    QList<QSize> m_grownFor; // the picture sizes the window has grown for
    QPointF m_lastMouse;
    bool m_mouseInside = false;
};

} // namespace fw
