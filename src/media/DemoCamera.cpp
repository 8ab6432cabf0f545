#include "media/DemoCamera.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTime>

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

int DemoCamera::open(QString& error)
{
    if (m_unplugged && m_unplugged->load()) {
        error = mediaErrorText(AVERROR(ENODEV));
        return AVERROR(ENODEV);
    }
    return 0;
}

int DemoCamera::read(AVFrame* frame, double& time_s)
{
    using namespace std::chrono;
    // The first picture is the course's frame 0 however long the session took to open (a sound
    // input, say): the clock starts at the first read.
    if (m_last < 0)
        m_start = steady_clock::now();
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
    time_s = double(next) / m_fps;
    return 0;
}

void DemoCamera::draw(AVFrame* frame, std::int64_t slot) const
{
    // The course's picture at this slot of the recording: the frame index is the slot, so a
    // landing touches the water in the frame the course names.
    QImage course = m_course.frame(int(slot), QSize(frame->width, frame->height), m_fps);
    if (course.format() != QImage::Format_RGB32 && course.format() != QImage::Format_ARGB32)
        course = course.convertToFormat(QImage::Format_RGB32);
    const std::size_t row = std::size_t(frame->width) * 4;
    for (int y = 0; y < frame->height; ++y)
        std::memcpy(frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0],
                    course.constScanLine(y), row);

    // The frame counter and the clock in the sky's top right corner, as a camera stamps them:
    // every picture differs from the one a second before even where the course repeats. (The
    // left corner is where the measurement screens lay their panels over the picture.)
    QImage picture(frame->data[0], frame->width, frame->height, frame->linesize[0],
                   QImage::Format_RGB32);
    const int h = picture.height();
    const QString text = QStringLiteral("%1  %2").arg(slot).arg(
        QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    QPainter p(&picture);
    QFont font = p.font();
    font.setPixelSize(std::max(6, h / 24));
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(text);
    if (advance > picture.width() - 4)
        font.setPixelSize(std::max(5, font.pixelSize() * (picture.width() - 4) / advance));
    p.setFont(font);
    const int width = QFontMetrics(font).horizontalAdvance(text) + 4;
    const QRect box(std::max(0, picture.width() - width), 0, width, font.pixelSize() + 4);
    p.fillRect(box, QColor(0, 0, 0));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace fw
