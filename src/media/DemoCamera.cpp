#include "media/DemoCamera.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace fw {

DemoCamera::DemoCamera(QSize size, double fps, std::shared_ptr<std::atomic<bool>> unplugged)
    : m_size(size), m_fps(fps > 0 ? fps : 30), m_unplugged(std::move(unplugged)),
      m_start(std::chrono::steady_clock::now())
{
}

void DemoCamera::interrupt()
{
    const std::lock_guard lock(m_mutex);
    m_interrupted = true;
    m_wake.notify_all();
}

int DemoCamera::read(AVFrame* frame, std::int64_t& slot)
{
    using namespace std::chrono;
    // Like a camera's driver, the last few pictures wait in buffers for a reader that was busy
    // (opening the file, say); slots older than that are dropped frames.
    const double elapsed_s = duration<double>(steady_clock::now() - m_start).count();
    std::int64_t next = m_last + 1;
    const auto due = std::int64_t(std::floor(elapsed_s * m_fps));
    if (due - (kBuffers - 1) > next)
        next = due - (kBuffers - 1);
    const auto at = m_start + duration_cast<steady_clock::duration>(duration<double>(next / m_fps));
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait_until(lock, at, [this] { return m_interrupted; });
        if (m_interrupted)
            return AVERROR_EXIT;
    }
    if (m_unplugged && m_unplugged->load())
        return AVERROR(ENODEV);
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = m_size.width();
    frame->height = m_size.height();
    if (const int r = av_frame_get_buffer(frame, 32); r < 0)
        return r;
    draw(frame, next);
    m_last = next;
    slot = next;
    return 0;
}

void DemoCamera::draw(AVFrame* frame, std::int64_t slot) const
{
    QImage picture(frame->data[0], frame->width, frame->height, frame->linesize[0],
                   QImage::Format_RGB32);
    const int w = picture.width();
    const int h = picture.height();
    // Colour bars that drift sideways, one bar width every two seconds.
    static const QRgb bars[] = {0xc0c0c0, 0xc0c000, 0x00c0c0, 0x00c000,
                                0xc000c0, 0xc00000, 0x0000c0, 0x101010};
    const int bar = std::max(1, w / 8);
    const int shift = int((slot * bar) / std::max<std::int64_t>(1, std::llround(2 * m_fps)));
    for (int x = 0; x < w; ++x) {
        const QRgb c = bars[((x + shift) / bar) % 8];
        picture.setPixel(x, 0, c);
    }
    for (int y = 1; y < h; ++y)
        std::memcpy(picture.scanLine(y), picture.constScanLine(0), std::size_t(w) * 4);

    QPainter p(&picture);
    // A ball that bounces across the lower half: motion that a viewer can follow frame by frame.
    const int r = std::max(2, h / 12);
    const double t = slot / m_fps;
    const int span = std::max(1, w - 2 * r);
    const int pos = int(std::fmod(t * w / 3.0, 2.0 * span));
    const int bx = r + (pos < span ? pos : 2 * span - pos);
    const int by = h - r - int(std::abs(std::sin(t * 3.0)) * (h / 2 - r));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(bx, by), r, r);

    const QString text = QStringLiteral("Demo Camera  frame %1  %2")
                             .arg(slot)
                             .arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    QFont font = p.font();
    font.setPixelSize(std::max(8, h / 10));
    // Small enough for the counter and the clock to fit across the picture.
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > w - 4)
        font.setPixelSize(std::max(6, font.pixelSize() * (w - 4) / advance));
    p.setFont(font);
    const QRect box(0, 0, w, font.pixelSize() + 6);
    p.fillRect(box, QColor(0, 0, 0));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace fw
