#include "media/JumpCourse.h"

#include <QColor>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace fw {

namespace {

constexpr double kGravity = 9.81;
constexpr double kRampHeight_m = 1.8;   // the ramp's lip above the water
constexpr double kFirstLanding_s = 2.0; // the first skier lands two seconds into a recording
constexpr double kJumpInterval_s = 4.0;
constexpr double kRunOutDeceleration = 4.0; // m/s² on the water after the landing
constexpr double kShownAfterLanding_s = 3.5;
constexpr double kBuoyRadius_m = 0.2;
constexpr double kDefaultFps = 25.0;

double radians(double deg)
{
    return deg * std::numbers::pi / 180.0;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
    double dot(const Vec3& b) const { return x * b.x + y * b.y + z * b.z; }
};

// The camera's axes in survey space: right and down along the picture, forward along the lens.
struct CameraAxes {
    Vec3 right, down, forward, centre;
    double focal = 0, cx = 0, cy = 0;
};

CameraAxes axesOf(const CourseCamera& c, QSize size)
{
    const double h = radians(c.heading_deg), t = radians(c.tilt_deg);
    CameraAxes a;
    a.forward = {-std::sin(h) * std::cos(t), std::cos(h) * std::cos(t), -std::sin(t)};
    a.right = {std::cos(h), std::sin(h), 0};
    a.down = {std::sin(t) * std::sin(h), -std::sin(t) * std::cos(h), -std::cos(t)};
    a.centre = {c.foot.X, c.foot.Y, c.height_m};
    a.focal = c.focal_px(size);
    // Pixel i is position i, so the picture's centre lies between the middle pixels.
    a.cx = (size.width() - 1) / 2.0;
    a.cy = (size.height() - 1) / 2.0;
    return a;
}

// SplitMix64: a small, well-mixed generator whose sequence depends on nothing but its seed.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * 0x1.0p-53; } // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t m_state;
};

// One train of waves on the water: crests across `dirX, dirY`, moving along it.
struct WaveTrain {
    float dirX, dirY, wavelength_m, amplitude;
};
// Wind waves running mostly towards the camera's shore, and short ripples across them that break
// up the regular pattern.
constexpr WaveTrain kWaves[] = {
    {0.25f, -0.97f, 2.6f, 1.0f},
    {-0.5f, -0.87f, 1.7f, 0.7f},
    {0.93f, 0.37f, 1.13f, 0.4f},
};

inline QRgb packRgb(float r, float g, float b)
{
    const auto c = [](float v) { return unsigned(int(std::min(255.0f, std::max(0.0f, v)))); };
    return 0xFF000000u | (c(r) << 16) | (c(g) << 8) | c(b);
}

} // namespace

// ---- PlaneHomography ----------------------------------------------------------------------------

std::optional<QPointF> PlaneHomography::map(QPointF p) const
{
    const double w = m[6] * p.x() + m[7] * p.y() + m[8];
    if (!(w > 0.0))
        return std::nullopt;
    return QPointF((m[0] * p.x() + m[1] * p.y() + m[2]) / w,
                   (m[3] * p.x() + m[4] * p.y() + m[5]) / w);
}

PlaneHomography PlaneHomography::inverted() const
{
    const auto& a = m;
    const std::array<double, 9> adj = {
        a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
        a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
        a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3],
    };
    // Dividing by the determinant keeps the sign of w: a point in front of the camera has w > 0
    // both ways.
    const double det = a[0] * adj[0] + a[1] * adj[3] + a[2] * adj[6];
    PlaneHomography inv;
    for (int i = 0; i < 9; ++i)
        inv.m[i] = adj[i] / det;
    return inv;
}

double CourseCamera::focal_px(QSize size) const
{
    return size.width() / 2.0 / std::tan(radians(viewAngle_deg) / 2.0);
}

// ---- The course ---------------------------------------------------------------------------------

struct JumpCourse::Jump {
    int number = 0;
    int landingFrame = 0;
    double fps = kDefaultFps;
    SurveyPoint landing;
    double distance_m = 0;
    double dirX = 1, dirY = 0; // the flight's direction on the water
    double speed_mps = 0;      // along the water, in the air
    double flight_s = 0;
    double climb_mps = 0; // upwards, leaving the lip
    std::uint64_t seed = 0;
};

JumpCourse::JumpCourse()
{
    // The surveyor's origin is on the camera's shore; the course line is Y = 30 and the jump
    // point of the ramp is X = 20. The camera stands 40 m from the course line, 11 m above the
    // water, opposite the landing area, turned 4 degrees back towards the ramp and zoomed so that
    // the front buoys fill most of the picture while their field of view stays near 30 degrees.
    m_camera.foot = {66.0, -10.0};
    m_camera.height_m = 11.0;
    m_camera.heading_deg = 4.0;
    m_camera.tilt_deg = 15.5;
    m_camera.viewAngle_deg = 36.0;
    m_jump = {20.0, 30.0};
    m_buoys[buoySlot(BuoyIndex::UpperRight)] = {77.0, 37.0};
    m_buoys[buoySlot(BuoyIndex::LowerRight)] = {73.5, 23.0};
    m_buoys[buoySlot(BuoyIndex::UpperLeft)] = {51.0, 37.0};
    m_buoys[buoySlot(BuoyIndex::LowerLeft)] = {54.5, 23.0};
    m_checkBuoy = {62.0, 33.0};
    m_farShoreY_m = 85.0;
}

PlaneHomography JumpCourse::surveyToPicture(QSize size) const
{
    const CameraAxes a = axesOf(m_camera, size);
    const auto row = [&a](const Vec3& axis, double focal, double principal, double* out) {
        const Vec3 r{focal * axis.x + principal * a.forward.x,
                     focal * axis.y + principal * a.forward.y,
                     focal * axis.z + principal * a.forward.z};
        out[0] = r.x;
        out[1] = r.y;
        out[2] = -r.dot(a.centre);
    };
    PlaneHomography h;
    row(a.right, a.focal, a.cx, &h.m[0]);
    row(a.down, a.focal, a.cy, &h.m[3]);
    row(a.forward, 0.0, 1.0, &h.m[6]);
    return h;
}

PlaneHomography JumpCourse::pictureToSurvey(QSize size) const
{
    return surveyToPicture(size).inverted();
}

std::optional<QPointF> JumpCourse::project(double X, double Y, double z_m, QSize size) const
{
    const CameraAxes a = axesOf(m_camera, size);
    const Vec3 v{X - a.centre.x, Y - a.centre.y, z_m - a.centre.z};
    const double depth = v.dot(a.forward);
    if (depth < 0.01)
        return std::nullopt;
    return QPointF(a.focal * v.dot(a.right) / depth + a.cx, a.focal * v.dot(a.down) / depth + a.cy);
}

QPointF JumpCourse::picture_px(SurveyPoint s, QSize size) const
{
    return surveyToPicture(size).map(QPointF(s.X, s.Y)).value_or(QPointF());
}

JumpCourse::Jump JumpCourse::jumpParameters(int jump, double fps) const
{
    Jump j;
    j.number = jump;
    j.fps = fps > 0 ? fps : kDefaultFps;
    j.landingFrame = int(std::lround(j.fps * (kFirstLanding_s + kJumpInterval_s * jump)));
    j.seed = 0xC0FFEEull * 1000003ull + std::uint64_t(jump);
    Random r(j.seed);
    j.distance_m = r.uniform(32.0, 55.0);
    const double side_m = r.uniform(-1.5, 1.5);
    j.speed_mps = r.uniform(23.0, 27.0);
    const double along_m = std::sqrt(j.distance_m * j.distance_m - side_m * side_m);
    j.landing = {m_jump.X + along_m, m_jump.Y + side_m};
    j.dirX = along_m / j.distance_m;
    j.dirY = side_m / j.distance_m;
    j.flight_s = j.distance_m / j.speed_mps;
    // Leaving the lip at its height and touching the water after exactly the flight time.
    j.climb_mps = (kGravity * j.flight_s * j.flight_s / 2.0 - kRampHeight_m) / j.flight_s;
    return j;
}

CourseLanding JumpCourse::landing(int jump, double fps, QSize size) const
{
    const Jump j = jumpParameters(jump, fps);
    CourseLanding l;
    l.jump = jump;
    l.survey = j.landing;
    l.distance_m = j.distance_m;
    l.frame = j.landingFrame;
    l.picture_px = picture_px(j.landing, size);
    l.picture_twips = twips(l.picture_px);
    return l;
}

int JumpCourse::firstJumpLandingFrom(int frame, double fps) const
{
    const double rate = fps > 0 ? fps : kDefaultFps;
    int k = std::max(0, int(std::floor((frame / rate - kFirstLanding_s) / kJumpInterval_s)));
    while (jumpParameters(k, rate).landingFrame < frame)
        ++k;
    return k;
}

MeasurementGrid JumpCourse::measurementGrid(QSize size) const
{
    // An operator clicks the pixel a buoy's centre lies on.
    const auto clicked = [this, size](SurveyPoint s) {
        const QPointF p = picture_px(s, size);
        return twips(QPointF(std::round(p.x()), std::round(p.y())));
    };
    MeasurementGrid g;
    for (int i = 1; i <= kBuoyCount; ++i) {
        const auto b = BuoyIndex(i);
        g.survey(b) = buoy(b);
        g.picture(b) = clicked(buoy(b));
    }
    g.jump = m_jump;
    g.checkBuoySurvey = m_checkBuoy;
    g.checkBuoyPicture = clicked(m_checkBuoy);
    g.c = SolveCoefficients(g.buoyPicture, g.buoySurvey).value_or(GridCoefficients{});
    g.description2 = QStringLiteral("Demo course");
    return g;
}

GridEntries JumpCourse::gridEntries(QSize size) const
{
    return entriesFromGrid(measurementGrid(size), 1);
}

// ---- Rendering ----------------------------------------------------------------------------------

namespace {

// About sin(2 pi t) for |t| < 4096 (a parabola per half turn, within 6 %: enough for ripples),
// in straight-line arithmetic the compiler can run on several pixels at once.
inline float sineOfTurns(float t)
{
    constexpr float kOffset = 4096.5f;
    const float shifted = t + kOffset;
    const float r = shifted - float(int(shifted)) - 0.5f; // in [-0.5, 0.5)
    const float x = 2.0f * r;
    return 4.0f * x * (1.0f - std::fabs(x));
}

// Water and sky, pixel by pixel through the picture-to-survey mapping: along a row the mapping's
// homogeneous coordinates change linearly, so each pixel costs one division and a few waves.
// Where the toolchain can, a second copy uses AVX2's eight lanes on processors that have them.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
__attribute__((target_clones("avx2", "default")))
#endif
void paintWater(QImage& image, const PlaneHomography& toSurvey, const CourseCamera& camera,
                double farShoreY_m, double time_s)
{
    const int width = image.width(), height = image.height();
    const float headX = float(-std::sin(radians(camera.heading_deg)));
    const float headY = float(std::cos(radians(camera.heading_deg)));
    const float footX = float(camera.foot.X), footY = float(camera.foot.Y);
    const float shoreY = float(farShoreY_m);

    constexpr std::size_t kTrains = std::size(kWaves);
    float kx[kTrains], ky[kTrains], phase[kTrains], amplitude[kTrains];
    for (std::size_t i = 0; i < kTrains; ++i) {
        const WaveTrain& w = kWaves[i];
        // Deep-water waves: the crests move at sqrt(g L / 2 pi). The phase is kept within a turn.
        const double speed = std::sqrt(kGravity * w.wavelength_m / (2.0 * std::numbers::pi));
        kx[i] = w.dirX / w.wavelength_m;
        ky[i] = w.dirY / w.wavelength_m;
        phase[i] = float(-std::fmod(speed * time_s / w.wavelength_m, 1.0));
        amplitude[i] = w.amplitude;
    }

    const auto& m = toSurvey.m;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float skyShade = float(y) / float(std::max(1, height - 1));
        const QRgb sky = packRgb(150.0f + 55.0f * skyShade, 185.0f + 35.0f * skyShade,
                                 220.0f + 10.0f * skyShade);
        const float xh0 = float(m[1] * y + m[2]), yh0 = float(m[4] * y + m[5]);
        const float w0 = float(m[7] * y + m[8]);
        const float dxh = float(m[0]), dyh = float(m[3]), dw = float(m[6]);
        for (int x = 0; x < width; ++x) {
            const float fx = float(x);
            const float w = w0 + dw * fx;
            // Every pixel is computed; those above the horizon or beyond the far shore then show
            // the sky (their survey position is clamped only to keep the arithmetic finite).
            const float inv = 1.0f / std::max(w, 1e-6f);
            const float X = std::min(4000.0f, std::max(-4000.0f, (xh0 + dxh * fx) * inv));
            const float Y = std::min(4000.0f, std::max(-4000.0f, (yh0 + dyh * fx) * inv));
            // Far water mirrors more of the sky and shows less detail.
            const float range = (X - footX) * headX + (Y - footY) * headY;
            const float far = std::min(1.0f, std::max(0.0f, (range - 15.0f) * (1.0f / 110.0f)));
            float wave = 0.0f;
            for (std::size_t i = 0; i < kTrains; ++i)
                wave += amplitude[i] * sineOfTurns(X * kx[i] + Y * ky[i] + phase[i]);
            const float shade = 9.0f * wave * (1.0f - 0.75f * far);
            const QRgb water = packRgb(22.0f + 90.0f * far + shade, 58.0f + 80.0f * far + shade,
                                       74.0f + 76.0f * far + shade);
            line[x] = (w > 0.0f) & (Y <= shoreY) ? water : sky;
        }
    }
}

// A smooth tree line: hashed heights every 6 m, blended.
double treeHeight_m(double X)
{
    const auto at = [](long long cell) {
        return Random(std::uint64_t(cell) * 7919u + 17u).uniform(8.0, 15.0);
    };
    const double cells = X / 6.0;
    const long long c = (long long)std::floor(cells);
    const double f = cells - double(c);
    const double s = f * f * (3.0 - 2.0 * f);
    return at(c) * (1.0 - s) + at(c + 1) * s;
}

} // namespace

// A frame being drawn: the painter on it, its size and the camera's axes for that size.
struct JumpCourse::Picture {
    const JumpCourse& course;
    QSize size;
    CameraAxes axes;
    QPainter& p;

    std::optional<QPointF> at(double X, double Y, double z) const
    {
        return course.project(X, Y, z, size);
    }
    // Pixels per meter at a point, for sizes and pen widths.
    double scale(double X, double Y, double z) const
    {
        const Vec3 v{X - axes.centre.x, Y - axes.centre.y, z - axes.centre.z};
        return axes.focal / std::max(0.01, v.dot(axes.forward));
    }
};

// Where a skier's feet are, how high, and the picture's pixels per meter there.
struct JumpCourse::SkierPlace {
    double feetX = 0, feetY = 0, feetZ = 0;
    double ppm = 0;
};

QImage JumpCourse::frame(int index, QSize size, double fps) const
{
    if (size.isEmpty())
        return {};
    const double rate = fps > 0 ? fps : kDefaultFps;
    const double time_s = index / rate;
    QImage image(size, QImage::Format_RGB32);
    paintWater(image, pictureToSurvey(size), m_camera, m_farShoreY_m, time_s);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Painter coordinates put a pixel's centre at +0.5; the course's picture positions at 0.
    p.translate(0.5, 0.5);
    Picture picture{*this, size, axesOf(m_camera, size), p};

    drawShore(picture);
    for (const SurveyPoint& b : m_buoys)
        drawBuoy(picture, b, QColor(250, 110, 20));
    drawBuoy(picture, m_checkBuoy, QColor(240, 210, 30));
    drawSkiers(picture, index, rate);
    return image;
}

// The far shore: a stony edge and the trees behind it.
void JumpCourse::drawShore(Picture& picture) const
{
    QPolygonF trees, edge;
    const double from = m_camera.foot.X - 250.0, to = m_camera.foot.X + 250.0;
    for (double X = from; X <= to; X += 3.0) {
        if (const auto q = picture.at(X, m_farShoreY_m, 0.0))
            edge << *q;
    }
    trees = edge;
    for (double X = to; X >= from; X -= 3.0) {
        if (const auto q = picture.at(X, m_farShoreY_m + 2.0, treeHeight_m(X)))
            trees << *q;
        if (const auto q = picture.at(X, m_farShoreY_m, 0.8))
            edge << *q;
    }
    QPainter& p = picture.p;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(38, 70, 40));
    p.drawPolygon(trees);
    p.setBrush(QColor(118, 112, 96));
    p.drawPolygon(edge);
}

// A buoy: a floating ball, its centre on the water at the surveyed position.
void JumpCourse::drawBuoy(Picture& picture, SurveyPoint s, const QColor& colour) const
{
    const QPointF c = picture_px(s, picture.size);
    const double r = kBuoyRadius_m * picture.scale(s.X, s.Y, 0.0);
    QPainter& p = picture.p;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 30, 40, 90));
    p.drawEllipse(c + QPointF(0, 0.6 * r), 1.3 * r, 0.45 * r);
    p.setBrush(colour);
    p.drawEllipse(c, r, r);
    p.setBrush(colour.lighter(130));
    p.drawEllipse(c + QPointF(-0.4 * r, -0.45 * r), 0.3 * r, 0.25 * r);
}

// The skiers in view: the one before and the one after this moment's landing slot.
void JumpCourse::drawSkiers(Picture& picture, int index, double rate) const
{
    const double time_s = index / rate;
    const int slot = int(std::floor((time_s - kFirstLanding_s) / kJumpInterval_s));
    for (int k = std::max(0, slot); k <= slot + 1; ++k) {
        const Jump j = jumpParameters(k, rate);
        // Frames counted from the first contact: negative in the air.
        const double since_s = (index - j.landingFrame) / rate;
        if (since_s < -j.flight_s || since_s > kShownAfterLanding_s)
            continue;

        SkierPlace skier;
        if (since_s < 0) {
            const double air = j.flight_s + since_s;
            skier.feetX = m_jump.X + j.dirX * j.speed_mps * air;
            skier.feetY = m_jump.Y + j.dirY * j.speed_mps * air;
            skier.feetZ = kRampHeight_m + j.climb_mps * air - kGravity * air * air / 2.0;
        } else {
            const double t = std::min(since_s, j.speed_mps / kRunOutDeceleration);
            const double run = j.speed_mps * t - kRunOutDeceleration * t * t / 2.0;
            skier.feetX = j.landing.X + j.dirX * run;
            skier.feetY = j.landing.Y + j.dirY * run;
        }
        skier.ppm = picture.scale(skier.feetX, skier.feetY, skier.feetZ);

        drawSplash(picture, j, since_s, skier);
        drawSkier(picture, j, since_s, skier);
        drawSpray(picture, j, since_s);
    }
}

// The splash: a foam patch and a fading wake from the first contact on.
void JumpCourse::drawSplash(Picture& picture, const Jump& j, double since_s,
                            const SkierPlace& skier)
{
    if (!(since_s >= 0))
        return;
    const double foam = std::max(0.0, 1.0 - since_s / 2.5);
    const double radius = 0.7 + 1.5 * since_s;
    QPolygonF patch;
    for (int i = 0; i < 20; ++i) {
        const double a = 2.0 * std::numbers::pi * i / 20.0;
        if (const auto q = picture.at(j.landing.X + radius * std::cos(a),
                                      j.landing.Y + radius * std::sin(a), 0.0))
            patch << *q;
    }
    QPainter& p = picture.p;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, int(235 * foam)));
    p.drawPolygon(patch);
    const auto from = picture.at(j.landing.X, j.landing.Y, 0.0);
    const auto to = picture.at(skier.feetX, skier.feetY, 0.0);
    if (from && to && since_s > 0) {
        QPen wake(QColor(235, 240, 240, int(110 * std::max(0.0, 1.0 - since_s / 3.0))));
        wake.setWidthF(0.5 * skier.ppm);
        wake.setCapStyle(Qt::RoundCap);
        p.setPen(wake);
        p.drawLine(*from, *to);
    }
}

// The skier: skis, legs, a red vest, arms to the handle, a helmet.
void JumpCourse::drawSkier(Picture& picture, const Jump& j, double since_s, const SkierPlace& skier)
{
    QPainter& p = picture.p;
    const double ppm = skier.ppm;
    const double air = since_s < 0 ? 1.0 : 0.0;
    const auto point = [&](double along, double up) {
        return picture.at(skier.feetX + j.dirX * along, skier.feetY + j.dirY * along,
                          skier.feetZ + up);
    };
    const auto limb = [&](const std::optional<QPointF>& a, const std::optional<QPointF>& b,
                          const QColor& colour, double width_m) {
        if (!a || !b)
            return;
        QPen pen(colour);
        pen.setWidthF(std::max(1.0, width_m * ppm));
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(*a, *b);
    };
    const QColor suit(35, 35, 45), vest(200, 40, 35);
    limb(point(-0.9, 0.0), point(1.1, 0.15 + 0.3 * air), QColor(25, 25, 30), 0.1);
    const auto knee = point(0.3, 0.5), hip = point(-0.05, 0.85);
    const auto shoulder = point(0.35, 1.35), hands = point(0.6, 0.95);
    limb(point(0.0, 0.05), knee, suit, 0.14);
    limb(knee, hip, suit, 0.16);
    limb(hip, shoulder, vest, 0.3);
    limb(shoulder, hands, suit, 0.1);
    if (const auto head = point(0.45, 1.6)) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 30, 90));
        p.drawEllipse(*head, 0.12 * ppm, 0.12 * ppm);
    }
}

// Spray: droplets leaving the landing point, falling back within a second and a half.
void JumpCourse::drawSpray(Picture& picture, const Jump& j, double since_s)
{
    if (!(since_s >= 0 && since_s <= 1.5))
        return;
    Random r(j.seed ^ 0x5B1A5Bull);
    QPainter& p = picture.p;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, int(240 * (1.0 - since_s / 1.5))));
    for (int i = 0; i < 40; ++i) {
        const double forward = r.uniform(1.0, 6.0), side = r.uniform(-2.5, 2.5);
        const double up = r.uniform(2.0, 8.0), size_m = r.uniform(0.1, 0.18);
        const double z = up * since_s - kGravity * since_s * since_s / 2.0;
        if (z < 0.0)
            continue;
        const double X = j.landing.X + (j.dirX * forward - j.dirY * side) * since_s;
        const double Y = j.landing.Y + (j.dirY * forward + j.dirX * side) * since_s;
        if (const auto q = picture.at(X, Y, z)) {
            const double rr = std::max(0.8, size_m * picture.scale(X, Y, z));
            p.drawEllipse(*q, rr, rr);
        }
    }
}

} // namespace fw
