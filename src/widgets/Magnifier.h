#pragma once

// The station's own magnifier: a small panel over the picture that shows the pixels around the
// cursor enlarged, with a fine crosshair round the pixel a click would take, so that a landing
// splash can be clicked to the pixel on a laptop screen.

#include <QPoint>
#include <QWidget>

namespace fw {

class PictureView;

class Magnifier : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFactor = 4;
    static constexpr int kStrongFactor = 8; // with Shift held
    static constexpr int kSize_px = 168;

    Magnifier(const PictureView& view, QWidget* parent);

    // Centres the panel's view on a picture pixel, enlarged factor times.
    void showPixel(QPoint picturePixel, int factor);
    QPoint pixel() const { return m_pixel; }
    int factor() const { return m_factor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PictureView& m_view;
    QPoint m_pixel;
    int m_factor = kFactor;
};

} // namespace fw
