#pragma once

// The built-in demo camera: the demo jump course (a skier landing every four seconds), delivered
// at the set frame rate on the recording's own clock, so that a station without a camera still
// records and measures. It can be "unplugged" to show what the station does when a camera goes
// away.

#include "media/CaptureSources.h"
#include "media/JumpCourse.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace fw {

class DemoCamera final : public FrameSource {
public:
    DemoCamera(QSize size, double fps, std::shared_ptr<std::atomic<bool>> unplugged);
    int open(QString& error) override;
    double frameRate() const override { return m_fps; }
    // A picture's time is its index on the camera's clock over the rate.
    int read(AVFrame* frame, double& time_s) override;
    void interrupt() override;

    // Draws picture `slot` (the course's frame of that index) into a BGRA frame of the camera's
    // size.
    void draw(AVFrame* frame, std::int64_t slot) const;

private:
    static constexpr std::int64_t kBuffers = 4; // pictures held for a late reader
    QSize m_size;
    JumpCourse m_course;
    double m_fps;
    std::shared_ptr<std::atomic<bool>> m_unplugged;
    std::chrono::steady_clock::time_point m_start;
    std::int64_t m_last = -1;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
};

} // namespace fw
