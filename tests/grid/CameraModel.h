#pragma once

// A pinhole camera above the water, independent of the station's mapping: it projects survey
// positions into the picture (twips) and follows picture positions back to the water, so the
// grid maths can be checked against geometry rather than against itself.

#include "grid/Geometry.h"

#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace fw::test {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(double s, Vec3 a)
{
    return {s * a.x, s * a.y, s * a.z};
}
inline double dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 unit(Vec3 a)
{
    return (1.0 / std::sqrt(dot(a, a))) * a;
}

inline double radians(double deg)
{
    return deg * std::numbers::pi / 180.0;
}
inline double degrees(double rad)
{
    return rad * 180.0 / std::numbers::pi;
}

struct Camera {
    Vec3 centre; // meters; the water is z = 0
    Vec3 forward, right, down;
    double focal_px = 1000;
    int width_px = 800, height_px = 600;

    // Aims from `centre` with the given heading (degrees from +X), looking down `pitch` degrees,
    // turned by `roll` degrees about the optical axis.
    static Camera aimed(Vec3 centre, double heading, double pitch, double roll)
    {
        Camera c;
        c.centre = centre;
        const double h = radians(heading), p = radians(pitch), r = radians(roll);
        c.forward = {std::cos(h) * std::cos(p), std::sin(h) * std::cos(p), -std::sin(p)};
        const Vec3 right0 = unit(cross(c.forward, {0, 0, 1}));
        const Vec3 down0 = cross(c.forward, right0);
        c.right = std::cos(r) * right0 + std::sin(r) * down0;
        c.down = cross(c.forward, c.right);
        return c;
    }

    // Survey position to picture twips (pixels × 15); none behind the camera.
    std::optional<ScreenPoint> project(SurveyPoint s) const
    {
        const Vec3 v = Vec3{s.X, s.Y, 0} - centre;
        const double z = dot(v, forward);
        if (z <= 0)
            return std::nullopt;
        const double u = focal_px * dot(v, right) / z + width_px / 2.0;
        const double w = focal_px * dot(v, down) / z + height_px / 2.0;
        return ScreenPoint{u * 15.0, w * 15.0};
    }

    Vec3 ray(ScreenPoint p) const
    {
        return focal_px * forward + (p.x / 15.0 - width_px / 2.0) * right +
               (p.y / 15.0 - height_px / 2.0) * down;
    }

    // Picture twips to the water; none above the horizon.
    std::optional<SurveyPoint> toWater(ScreenPoint p) const
    {
        const Vec3 d = ray(p);
        if (d.z >= 0)
            return std::nullopt;
        const double t = -centre.z / d.z;
        return SurveyPoint{centre.x + t * d.x, centre.y + t * d.y};
    }

    // The direction on the water of the picture vertical through p (the intersection of the
    // water with the plane through the camera that holds that picture line).
    SurveyPoint verticalDirection(ScreenPoint p) const
    {
        const Vec3 n = cross(down, ray(p));
        const Vec3 g = cross(n, {0, 0, 1});
        return {g.x, g.y};
    }
};

// One realistic grid: a camera 5–15 m above the water looking down 10–30 degrees from beside the
// course, the ramp's jump point at the survey origin, the course along +X, four buoys 15–80 m
// from the ramp, a picture between 640×480 and 1920×1080 pixels.
struct CameraView {
    Camera camera;
    std::array<SurveyPoint, kBuoyCount> survey{}; // BuoyIndex order
    std::array<ScreenPoint, kBuoyCount> picture{};
};

inline CameraView randomCameraView(QRandomGenerator& rng)
{
    static const int sizes[][2] = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                                   {1280, 1024}, {1600, 900}, {1920, 1080}};
    const auto uniform = [&rng](double lo, double hi) {
        return lo + (hi - lo) * rng.generateDouble();
    };
    for (;;) {
        const double height = uniform(5, 15);
        const double pitch = uniform(10, 30);
        const double heading = uniform(20, 160); // from the shore, across or along the course
        const SurveyPoint aim{uniform(35, 60), uniform(-4, 4)};
        const double range = height / std::tan(radians(pitch));
        const double h = radians(heading);
        const Vec3 centre{aim.X - range * std::cos(h), aim.Y - range * std::sin(h), height};
        Camera cam = Camera::aimed(centre, heading, pitch, uniform(-3, 3));
        const int* size = sizes[rng.bounded(7)];
        cam.width_px = size[0];
        cam.height_px = size[1];

        // Near and far buoys along the line of sight, spread to both sides of it.
        const SurveyPoint fwd{std::cos(h), std::sin(h)};
        const SurveyPoint side{std::sin(h), -std::cos(h)}; // to the camera's right
        const double nearRange = range * uniform(0.55, 0.9);
        const double farRange = range * uniform(1.15, 1.7);
        const auto at = [&](double r, double lateral) {
            return SurveyPoint{centre.x + r * fwd.X + lateral * side.X,
                               centre.y + r * fwd.Y + lateral * side.Y};
        };
        CameraView v;
        v.survey[buoySlot(BuoyIndex::UpperRight)] = at(farRange, farRange * uniform(0.15, 0.45));
        v.survey[buoySlot(BuoyIndex::LowerRight)] = at(nearRange, nearRange * uniform(0.15, 0.45));
        v.survey[buoySlot(BuoyIndex::UpperLeft)] = at(farRange, -farRange * uniform(0.15, 0.45));
        v.survey[buoySlot(BuoyIndex::LowerLeft)] = at(nearRange, -nearRange * uniform(0.15, 0.45));
        bool ok = true;
        for (const SurveyPoint& s : v.survey) {
            const double fromRamp = std::hypot(s.X, s.Y);
            ok = ok && fromRamp >= 15 && fromRamp <= 80;
        }
        if (!ok)
            continue;

        // A focal length that puts the four buoys inside 90% of the picture.
        double reach = 0;
        for (const SurveyPoint& s : v.survey) {
            const Vec3 d = Vec3{s.X, s.Y, 0} - centre;
            const double z = dot(d, cam.forward);
            reach = std::max({reach, std::fabs(dot(d, cam.right) / z) / (cam.width_px / 2.0),
                              std::fabs(dot(d, cam.down) / z) / (cam.height_px / 2.0)});
        }
        cam.focal_px = 0.9 / reach;
        for (int i = 0; i < kBuoyCount; ++i)
            v.picture[i] = *cam.project(v.survey[i]);
        v.camera = cam;
        return v;
    }
}

// A point inside the picture quadrilateral of the four buoys (bilinear in s, t from 0 to 1).
inline ScreenPoint insideBuoys(const CameraView& v, double s, double t)
{
    const ScreenPoint ul = v.picture[buoySlot(BuoyIndex::UpperLeft)];
    const ScreenPoint ur = v.picture[buoySlot(BuoyIndex::UpperRight)];
    const ScreenPoint ll = v.picture[buoySlot(BuoyIndex::LowerLeft)];
    const ScreenPoint lr = v.picture[buoySlot(BuoyIndex::LowerRight)];
    const ScreenPoint top{ul.x + (ur.x - ul.x) * s, ul.y + (ur.y - ul.y) * s};
    const ScreenPoint bottom{ll.x + (lr.x - ll.x) * s, ll.y + (lr.y - ll.y) * s};
    return {top.x + (bottom.x - top.x) * t, top.y + (bottom.y - top.y) * t};
}

} // namespace fw::test
