#include "grid/Geometry.h"

#include "settings/StationSettings.h"
#include "support/textforms.h"

#include <cmath>
#include <numbers>

namespace fw {

namespace {

// A point so near the horizon line that it maps farther than this (twips or meters) is taken as
// mapping to infinity: rounding alone keeps a point on the line from giving an exact zero.
constexpr double kFarLimit = 1e12;

bool finite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a) <= kFarLimit &&
           std::fabs(b) <= kFarLimit;
}

} // namespace

std::optional<SurveyPoint> PictureToSurvey(const GridCoefficients& c, ScreenPoint p)
{
    const double d = 1.0 + c[3] * p.x + c[4] * p.y;
    if (d == 0.0)
        return std::nullopt;
    const SurveyPoint s{(c[0] + c[1] * p.x + c[2] * p.y) / d, (c[5] + c[6] * p.x + c[7] * p.y) / d};
    if (!finite(s.X, s.Y))
        return std::nullopt;
    return s;
}

std::optional<ScreenPoint> SurveyToPicture(const GridCoefficients& c, SurveyPoint s)
{
    const double c1 = c[0], c2 = c[1], c3 = c[2], c4 = c[3], c5 = c[4], c6 = c[5], c7 = c[6],
                 c8 = c[7];
    const double w = (c7 * c5 - c8 * c4) * s.X + (c3 * c4 - c2 * c5) * s.Y + (c2 * c8 - c3 * c7);
    if (w == 0.0)
        return std::nullopt;
    const ScreenPoint p{((c8 - c6 * c5) * s.X + (c1 * c5 - c3) * s.Y + (c3 * c6 - c1 * c8)) / w,
                        ((c6 * c4 - c7) * s.X + (c2 - c1 * c4) * s.Y + (c1 * c7 - c2 * c6)) / w};
    if (!finite(p.x, p.y))
        return std::nullopt;
    return p;
}

std::optional<GridCoefficients>
SolveCoefficients(const std::array<ScreenPoint, kBuoyCount>& picture,
                  const std::array<SurveyPoint, kBuoyCount>& survey)
{
    // Rows and columns from 1 as the method is written down; row 0 and column 0 are unused.
    double a[9][10] = {};
    for (int i = 1; i <= 4; ++i) {
        const double x = picture[i - 1].x, y = picture[i - 1].y;
        const double X = survey[i - 1].X, Y = survey[i - 1].Y;
        double* r = a[i];
        r[1] = 1;
        r[2] = x;
        r[3] = y;
        r[4] = -x * X;
        r[5] = -y * X;
        r[9] = X;
        double* s = a[i + 4];
        s[4] = -x * Y;
        s[5] = -y * Y;
        s[6] = 1;
        s[7] = x;
        s[8] = y;
        s[9] = Y;
    }

    for (int k = 1; k <= 8; ++k) {
        int r = k;
        while (r <= 8 && a[r][k] == 0.0)
            ++r;
        if (r > 8)
            return std::nullopt;
        if (r != k) {
            for (int j = 1; j <= 9; ++j)
                std::swap(a[k][j], a[r][j]);
        }
        const double p = 1.0 / a[k][k];
        for (int j = 1; j <= 9; ++j)
            a[k][j] *= p;
        for (int i = 1; i <= 8; ++i) {
            if (i == k)
                continue;
            const double t = -a[i][k];
            for (int j = 1; j <= 9; ++j)
                a[i][j] += t * a[k][j];
        }
    }

    GridCoefficients c{};
    for (int n = 1; n <= 8; ++n) {
        if (!std::isfinite(a[n][9]))
            return std::nullopt;
        c[n - 1] = a[n][9];
    }
    return c;
}

Tournament Tournament::of(const StationSettings& settings)
{
    return Tournament{settings.BarefootOn, settings.SitSkiOn};
}

std::optional<Tournament> Tournament::named(const QString& name)
{
    if (name == QLatin1String("normal"))
        return Tournament{};
    if (name == QLatin1String("sitski"))
        return Tournament{false, true};
    if (name == QLatin1String("barefoot"))
        return Tournament{true, false};
    return std::nullopt;
}

double rampOffset_m(Tournament t)
{
    if (t.barefoot)
        return 0.0;
    const double s = t.sitSki ? -1.0 : 0.0;
    return 0.2 * s + 2.1;
}

double surveyDistance(SurveyPoint a, SurveyPoint b)
{
    const double dX = a.X - b.X;
    const double dY = a.Y - b.Y;
    return std::sqrt(dX * dX + dY * dY);
}

std::optional<JumpDistance> distance_calculation(const MeasurementGrid& grid, ScreenPoint p,
                                                 Tournament t)
{
    const std::optional<SurveyPoint> s = PictureToSurvey(grid.c, p);
    if (!s)
        return std::nullopt;
    const double d = surveyDistance(grid.jump, *s) + rampOffset_m(t);
    if (!std::isfinite(d))
        return std::nullopt;
    return JumpDistance{*s, d};
}

double meterFigure(double distance_m)
{
    return roundHalfUp(distance_m, 1);
}

double feetFigure(double distance_m, Tournament t)
{
    if (t.barefoot || t.sitSki)
        return std::floor(distance_m / 0.03048 + 0.5) / 10.0;
    return std::floor(distance_m / 0.3048 + 0.5);
}

double xOrientationOf(double upperRightX, double upperLeftX)
{
    return upperRightX < upperLeftX ? 1.0 : -1.0;
}

std::optional<double> fieldOfViewAngle(const GridCoefficients& c, ScreenPoint lowerLeft,
                                       ScreenPoint lowerRight)
{
    // The direction on the water of the picture vertical through a point, in degrees.
    const auto direction = [&c](ScreenPoint p) -> std::optional<double> {
        const auto p1 = PictureToSurvey(c, p);
        const auto p2 = PictureToSurvey(c, ScreenPoint{p.x, p.y - 45.0});
        if (!p1 || !p2)
            return std::nullopt;
        const double dX = p1->X - p2->X;
        const double dY = p1->Y - p2->Y;
        if (dX == 0.0 && dY == 0.0)
            return std::nullopt;
        return std::atan2(dY, dX) * 180.0 / std::numbers::pi;
    };
    const auto aL = direction(lowerLeft);
    const auto aR = direction(lowerRight);
    if (!aL || !aR)
        return std::nullopt;
    double delta = std::fabs(std::fmod(*aR - *aL, 180.0));
    if (delta > 90.0)
        delta = 180.0 - delta;
    return delta;
}

double reportedFieldOfView(double angle_deg)
{
    return (std::floor(10.0 * angle_deg) + 15.0) / 10.0;
}

} // namespace fw
