#include "media/FramePlayerEngine.h"

#include <QPointer>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace fw {

namespace {
constexpr double kCacheSeconds = 2.0; // on either side of the position
}

// The decode thread. It owns the decoder and the cache; the engine talks to it only through the
// fields under the mutex.
struct FramePlayerEngine::Worker {
    explicit Worker(FramePlayerEngine* engine) : engine(engine), thread([this] { run(); }) {}
    ~Worker()
    {
        {
            std::lock_guard lock(m);
            stop = true;
        }
        requestWaiting = true;
        cv.notify_all();
        thread.join();
    }

    // Engine side. A release waits until the worker has closed the file, so that the file can
    // be moved or deleted right after.
    void load(std::unique_ptr<VideoDecoder> decoder, quint64 generation, qint64 budget)
    {
        const bool release = !decoder;
        std::unique_lock lock(m);
        incoming = std::move(decoder);
        swapFile = true;
        fileGeneration = generation;
        cacheBudget = budget;
        request = -1;
        idle = false;
        requestWaiting = true;
        cv.notify_all();
        if (release)
            cv.wait(lock, [this] { return !swapFile || stop; });
    }
    void ask(int frame, quint64 serial)
    {
        {
            std::lock_guard lock(m);
            request = frame;
            requestSerial = serial;
            if (frame != focus)
                direction = frame > focus ? 1 : -1;
            focus = frame;
            idle = false;
        }
        requestWaiting = true;
        cv.notify_all();
    }

    void run();
    void serve(int frame, quint64 serial, quint64 generation);
    bool prefetch(int focus);
    // Between the packets of a long walk: keeps the next step's picture ready for the position
    // as it is now, and tells whether a request waits.
    bool keepUp();
    bool convertNext(int focus, quint64 generation);
    // The window around the position: five sixths of it lie the way the operator is going. A
    // step back into the group of pictures before needs that whole group decoded from its key
    // frame: the more of it the window keeps from one walk, the fewer walks.
    int ahead() const { return travel > 0 ? window - window / 6 : window / 6; }
    int behind() const { return window - ahead(); }
    bool keep(int focus, int number) const
    {
        return number >= focus - behind() && number <= focus + ahead() &&
               (frameCount <= 0 || number < frameCount);
    }
    void store(int number, FramePtr frame, int focus);
    void trim(int focus);

    FramePlayerEngine* engine;

    std::mutex m;
    std::condition_variable cv;
    bool stop = false;
    bool swapFile = false;
    std::unique_ptr<VideoDecoder> incoming;
    quint64 fileGeneration = 0;
    qint64 cacheBudget = 0;
    int request = -1;
    quint64 requestSerial = 0;
    int focus = 0;
    int direction = 1;
    bool idle = true;
    std::atomic<bool> requestWaiting{false};
    std::atomic<int> cached{0};
    std::atomic<quint64> rounds{0}; // times the worker woke up

    // The picture of the next step, converted while the operator looks at this one: the step
    // takes it on the user-interface thread without waiting for the worker.
    std::mutex readyLock;
    quint64 readyGeneration = 0;
    int readyFrame = -1;
    QImage readyImage;
    void putReady(quint64 generation, int frame, const QImage& image)
    {
        std::lock_guard lock(readyLock);
        readyGeneration = generation;
        readyFrame = frame;
        readyImage = image;
    }
    QImage takeReady(quint64 generation, int frame)
    {
        std::lock_guard lock(readyLock);
        if (readyGeneration != generation || readyFrame != frame)
            return QImage();
        readyFrame = -1;
        return std::exchange(readyImage, QImage());
    }
    int readyFor()
    {
        std::lock_guard lock(readyLock);
        return readyFrame;
    }
    // Engine side: the position moved to a picture already taken; the worker goes on around it.
    void follow(int frame)
    {
        {
            std::lock_guard lock(m);
            if (frame != focus)
                direction = frame > focus ? 1 : -1;
            focus = frame;
            idle = false;
        }
        cv.notify_all();
    }

    // Worker thread only.
    std::unique_ptr<VideoDecoder> decoder;
    FrameConverter converter;
    std::map<int, FramePtr> cache;
    std::set<int> unavailable;
    int window = 0; // frames kept around the position
    int travel = 1;
    int frameCount = 0;
    int lastFrame = -1; // the file's last frame once the decoder met its end
    quint64 currentGeneration = 0;

    std::thread thread;
};

void FramePlayerEngine::Worker::run()
{
    quint64 generation = 0;
    for (;;) {
        std::unique_lock lock(m);
        cv.wait(lock, [this] { return stop || swapFile || request >= 0 || !idle; });
        if (stop)
            break;
        if (swapFile) {
            cache.clear();
            unavailable.clear();
            putReady(0, -1, QImage());
            decoder = std::move(incoming);
            swapFile = false;
            generation = fileGeneration;
            currentGeneration = generation;
            lastFrame = -1;
            frameCount = decoder ? decoder->properties().frameCount : 0;
            window = 0;
            if (decoder) {
                const VideoProperties& p = decoder->properties();
                const qint64 byBudget = cacheBudget / std::max<qint64>(p.frameBytes, 1);
                const qint64 bySeconds =
                    qint64(std::ceil(2 * kCacheSeconds * std::max(p.fps(), 1.0)));
                window = int(std::clamp<qint64>(std::min(byBudget, bySeconds), 3, 100000));
            }
            cached = 0;
            cv.notify_all();
        }
        ++rounds;
        if (!decoder) {
            // No video: nothing to do until the next one comes.
            request = -1;
            requestWaiting = false;
            idle = true;
            continue;
        }
        const int wanted = request;
        const quint64 serial = requestSerial;
        const int around = focus;
        travel = direction;
        request = -1;
        requestWaiting = false;
        lock.unlock();

        if (wanted >= 0) {
            serve(wanted, serial, generation);
            continue;
        }
        if (convertNext(around, generation))
            continue;
        if (!prefetch(around)) {
            lock.lock();
            if (request < 0 && focus == around)
                idle = true;
        }
    }
    cache.clear();
    putReady(0, -1, QImage());
    decoder.reset(); // closed on the thread that owned it
}

void FramePlayerEngine::Worker::store(int number, FramePtr frame, int around)
{
    if (!frame || !keep(around, number))
        return;
    cache[number] = std::move(frame);
    trim(around);
}

void FramePlayerEngine::Worker::trim(int around)
{
    for (auto it = cache.begin(); it != cache.end();)
        it = keep(around, it->first) ? std::next(it) : cache.erase(it);
    cached = int(cache.size());
}

void FramePlayerEngine::Worker::serve(int frame, quint64 serial, quint64 generation)
{
    auto post = [this, generation, serial](int shown, const QImage& image, const QString& failure) {
        QPointer<FramePlayerEngine> target(engine);
        const int end = lastFrame;
        QMetaObject::invokeMethod(
            engine,
            [target, generation, serial, shown, end, image, failure] {
                if (target)
                    target->deliver(generation, serial, shown, end, image, failure);
            },
            Qt::QueuedConnection);
    };
    if (lastFrame >= 0 && frame > lastFrame)
        frame = lastFrame;
    const QImage ready = takeReady(generation, frame);
    if (!ready.isNull()) {
        trim(frame);
        post(frame, ready, QString());
        return;
    }
    auto hit = cache.find(frame);
    if (hit == cache.end()) {
        const Result<FrameAnswer> answer =
            decoder->frameAt(frame, [this, frame](const DecodedFrame& f) {
                store(f.number, cloneFrame(f.frame.get()), frame);
                return true;
            });
        if (!answer) {
            unavailable.insert(frame);
            post(frame, QImage(), answer.message());
            return;
        }
        if (answer->pastEnd) {
            lastFrame = answer->picture.number;
            frame = lastFrame;
        }
        store(frame, cloneFrame(answer->picture.frame.get()), frame);
        if (answer->picture.number != frame)
            store(answer->picture.number, cloneFrame(answer->picture.frame.get()), frame);
        trim(frame);
        hit = cache.find(frame);
        if (hit == cache.end()) {
            post(frame, converter.toImage(answer->picture.frame.get()), QString());
            return;
        }
    } else {
        trim(frame);
    }
    post(frame, converter.toImage(hit->second.get()), QString());
}

bool FramePlayerEngine::Worker::convertNext(int around, quint64 generation)
{
    const int next = around + travel;
    if (next < 0 || readyFor() == next || (lastFrame >= 0 && next > lastFrame))
        return false;
    const auto hit = cache.find(next);
    if (hit == cache.end())
        return false;
    const QImage image = converter.toImage(hit->second.get());
    if (image.isNull())
        return false;
    putReady(generation, next, image);
    return true;
}

bool FramePlayerEngine::Worker::keepUp()
{
    if (requestWaiting.load())
        return true;
    int now = 0;
    {
        std::lock_guard lock(m);
        now = focus;
        travel = direction;
    }
    convertNext(now, currentGeneration);
    return requestWaiting.load();
}

bool FramePlayerEngine::Worker::prefetch(int around)
{
    // The nearest frame of the window that is not yet decoded, the way the operator is going
    // first at equal distance.
    int target = -1;
    for (int k = 1; k <= window && target < 0; ++k) {
        for (int n : {around + k * travel, around - k * travel}) {
            if (n < 0 || !keep(around, n) || (lastFrame >= 0 && n > lastFrame))
                continue;
            if (!cache.count(n) && !unavailable.count(n)) {
                target = n;
                break;
            }
        }
    }
    if (target < 0)
        return false;
    // A request from the operator goes before the work for later steps: it is looked for after
    // every packet read and every picture decoded.
    decoder->setInterruption([this] { return keepUp(); });
    const Result<FrameAnswer> answer =
        decoder->frameAt(target, [this, around](const DecodedFrame& f) {
            store(f.number, cloneFrame(f.frame.get()), around);
            return !keepUp();
        });
    decoder->setInterruption({});
    if (!answer) {
        if (!answer.message().isEmpty())
            unavailable.insert(target);
        return true;
    }
    if (answer->pastEnd) {
        lastFrame = answer->picture.number;
        return true;
    }
    if (answer->picture.number != target) // a dropped frame shows the one before it
        store(target, cloneFrame(answer->picture.frame.get()), around);
    store(answer->picture.number, cloneFrame(answer->picture.frame.get()), around);
    return true;
}

FramePlayerEngine::FramePlayerEngine(QObject* parent) : QObject(parent)
{
    m_worker = std::make_unique<Worker>(this);
    m_playTimer = new QTimer(this);
    m_playTimer->setTimerType(Qt::PreciseTimer);
    connect(m_playTimer, &QTimer::timeout, this, &FramePlayerEngine::playTick);
}

FramePlayerEngine::~FramePlayerEngine()
{
    m_worker.reset();
}

std::optional<MediaFailure> FramePlayerEngine::open(const QString& path)
{
    close();
    MediaFailure failure;
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(path, &failure);
    if (!decoder)
        return failure;
    m_props = decoder->properties();
    m_path = path;
    m_worker->load(std::move(decoder), ++m_generation, m_budget);
    m_selStart = 0;
    m_selEnd = std::max(0, m_props.frameCount - 1);
    setPosition(0);
    return std::nullopt;
}

void FramePlayerEngine::close()
{
    stop();
    if (m_path.isEmpty() && m_shown < 0)
        return;
    m_worker->load(nullptr, ++m_generation, m_budget);
    m_path.clear();
    m_props = VideoProperties();
    m_picture = QImage();
    m_shown = -1;
    m_position = 0;
    m_failureTold = false;
    m_selStart = m_selEnd = 0;
}

void FramePlayerEngine::setPosition(int frame)
{
    if (m_props.frameCount > 0)
        frame = std::min(frame, m_props.frameCount - 1);
    frame = std::max(frame, 0);
    m_position = frame;
    if (isOpen()) {
        const QImage ready = m_worker->takeReady(m_generation, frame);
        if (!ready.isNull()) {
            // The step's picture is ready: shown at once, and nothing asked earlier shows after it.
            m_shownSerial = ++m_serial;
            m_worker->follow(frame);
            Q_EMIT positionChanged(frame);
            m_picture = ready;
            m_shown = frame;
            Q_EMIT frameShown(frame);
            return;
        }
        m_worker->ask(frame, ++m_serial);
    }
    Q_EMIT positionChanged(frame);
}

void FramePlayerEngine::setSelection(int start, int end)
{
    m_selStart = std::max(0, start);
    m_selEnd = std::max(m_selStart, end);
}

void FramePlayerEngine::play()
{
    if (!isOpen())
        return;
    const double fps = m_props.fps();
    m_playing = true;
    m_playClock.start();
    setPosition(m_selStart);
    m_playTimer->start(std::max(4, int(500.0 / (fps > 0 ? fps : 25))));
}

void FramePlayerEngine::stop()
{
    m_playTimer->stop();
    m_playing = false;
}

void FramePlayerEngine::playTick()
{
    const double fps = m_props.fps() > 0 ? m_props.fps() : 25;
    const qint64 due = m_selStart + qint64(std::floor(m_playClock.elapsed() * fps / 1000.0));
    const int last = m_props.frameCount > 0 ? std::min(m_selEnd, m_props.frameCount - 1) : m_selEnd;
    if (due >= last) {
        stop();
        if (m_position != last)
            setPosition(last);
        Q_EMIT playFinished();
        return;
    }
    if (due != m_position)
        setPosition(int(due));
}

void FramePlayerEngine::deliver(quint64 generation, quint64 serial, int frame, int lastFrame,
                                const QImage& image, const QString& failure)
{
    if (generation != m_generation || serial < m_shownSerial)
        return;
    // The file ended before the frame asked for: its last frame shows, and the position says so.
    // The length read from the file stays: only the decoder's real end of the file moves the
    // position, never a frame count that shrinks.
    if (lastFrame >= 0 && failure.isEmpty() && serial == m_serial && m_position > lastFrame &&
        frame == lastFrame) {
        m_position = lastFrame;
        Q_EMIT positionChanged(m_position);
    }
    if (!failure.isEmpty()) {
        if (!m_failureTold) {
            m_failureTold = true;
            Q_EMIT failed(failure);
        }
        return;
    }
    m_shownSerial = serial;
    m_picture = image;
    m_shown = frame;
    Q_EMIT frameShown(frame);
}

int FramePlayerEngine::cachedFrames() const
{
    return m_worker->cached.load();
}

quint64 FramePlayerEngine::workerRounds() const
{
    return m_worker->rounds.load();
}

} // namespace fw
