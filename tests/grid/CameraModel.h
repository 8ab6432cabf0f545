#pragma once

// A pinhole camera above the water (z = 0), independent of the station's mapping: it projects
// survey positions into the picture (twips) and follows picture positions back to the water, so
// the grid maths is checked against geometry rather than against itself.

#include "grid/Geometry.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace fw::test {

struct Vec3 {
    double x = 0, y = 0, z = 0;
    Vec3 operator+(Vec3 b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vec3 operator-(Vec3 b) const { return {x - b.x, y - b.y, z - b.z}; }
    Vec3 operator*(double s) const { return {s * x, s * y, s * z}; }
    double dot(Vec3 b) const { return x * b.x + y * b.y + z * b.z; }
    Vec3 cross(Vec3 b) const { return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x}; }
};

inline double radians(double deg)
{
    return deg * std::numbers::pi / 180.0;
}

struct Camera {
    Vec3 centre, forward, right, down; // meters; the picture's axes
    double focal_px = 1000;
    int width_px = 800, height_px = 600;

    // Survey position to picture twips (15 per pixel); none behind the camera.
    std::optional<ScreenPoint> project(SurveyPoint s) const
    {
        const Vec3 v = Vec3{s.X, s.Y, 0} - centre;
        const double z = v.dot(forward);
        if (z <= 0)
            return std::nullopt;
        return ScreenPoint{(focal_px * v.dot(right) / z + width_px / 2.0) * 15,
                           (focal_px * v.dot(down) / z + height_px / 2.0) * 15};
    }
    Vec3 ray(ScreenPoint p) const
    {
        return forward * focal_px + right * (p.x / 15 - width_px / 2.0) +
               down * (p.y / 15 - height_px / 2.0);
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
    // The water direction of the picture vertical through p: where the plane through the camera
    // holding that picture line meets the water.
    SurveyPoint verticalDirection(ScreenPoint p) const
    {
        const Vec3 g = down.cross(ray(p)).cross({0, 0, 1});
        return {g.x, g.y};
    }
};

struct CameraView {
    Camera camera;
    std::array<SurveyPoint, kBuoyCount> survey{}; // BuoyIndex order
    std::array<ScreenPoint, kBuoyCount> picture{};
};

// One realistic grid: a camera 5-15 m above the water looking down 10-30 degrees from beside the
// course, the jump point at the survey origin, four buoys 15-80 m from it, near and far along
// the line of sight and to both sides, filling 90% of a 640x480 to 1920x1080 picture.
inline CameraView randomCameraView(QRandomGenerator& rng)
{
    static const int sizes[][2] = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                                   {1280, 1024}, {1600, 900}, {1920, 1080}};
    const auto uniform = [&rng](double lo, double hi) {
        return lo + (hi - lo) * rng.generateDouble();
    };
    for (;;) {
        const double height = uniform(5, 15), pitch = radians(uniform(10, 30));
        const double h = radians(uniform(20, 160));
        const SurveyPoint aim{uniform(35, 60), uniform(-4, 4)};
        const double range = height / std::tan(pitch), roll = radians(uniform(-3, 3));
        Camera cam;
        cam.centre = {aim.X - range * std::cos(h), aim.Y - range * std::sin(h), height};
        cam.forward = {std::cos(h) * std::cos(pitch), std::sin(h) * std::cos(pitch),
                       -std::sin(pitch)};
        Vec3 right0 = cam.forward.cross({0, 0, 1});
        right0 = right0 * (1 / std::sqrt(right0.dot(right0)));
        cam.right = right0 * std::cos(roll) + cam.forward.cross(right0) * std::sin(roll);
        cam.down = cam.forward.cross(cam.right);
        const int* size = sizes[rng.bounded(7)];
        cam.width_px = size[0];
        cam.height_px = size[1];

        const double nearRange = range * uniform(0.55, 0.9), farRange = range * uniform(1.15, 1.7);
        const auto at = [&](double r, double lateral) { // lateral > 0: to the camera's right
            return SurveyPoint{cam.centre.x + r * std::cos(h) + lateral * std::sin(h),
                               cam.centre.y + r * std::sin(h) - lateral * std::cos(h)};
        };
        CameraView v;
        v.survey[0] = at(farRange, farRange * uniform(0.15, 0.45));
        v.survey[1] = at(nearRange, nearRange * uniform(0.15, 0.45));
        v.survey[2] = at(farRange, -farRange * uniform(0.15, 0.45));
        v.survey[3] = at(nearRange, -nearRange * uniform(0.15, 0.45));
        if (std::any_of(v.survey.begin(), v.survey.end(), [](SurveyPoint s) {
                return std::hypot(s.X, s.Y) < 15 || std::hypot(s.X, s.Y) > 80;
            }))
            continue;
        double reach = 0;
        for (const SurveyPoint& s : v.survey) {
            const Vec3 d = Vec3{s.X, s.Y, 0} - cam.centre;
            const double z = d.dot(cam.forward);
            reach = std::max({reach, std::fabs(d.dot(cam.right) / z) / (cam.width_px / 2.0),
                              std::fabs(d.dot(cam.down) / z) / (cam.height_px / 2.0)});
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
    const auto mix = [](ScreenPoint a, ScreenPoint b, double k) {
        return ScreenPoint{a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k};
    };
    return mix(mix(v.picture[2], v.picture[0], s), mix(v.picture[3], v.picture[1], s), t);
}

} // namespace fw::test
