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

// The acute angle between two water directions given in degrees, folded into 0..90.
std::optional<double> foldedAngle(std::optional<double> aL, std::optional<double> aR)
{
    if (!aL || !aR)
        return std::nullopt;
    double delta = std::fabs(std::fmod(*aR - *aL, 180.0));
    if (delta > 90.0)
        delta = 180.0 - delta;
    return delta;
}

// The field of view from a picture-to-water mapping: the direction on the water of the picture
// vertical through each front buoy (followed 45 twips up the picture), compared by foldedAngle.
template <typename ToWater>
std::optional<double> fieldOfViewThrough(const ToWater& toWater, ScreenPoint lowerLeft,
                                         ScreenPoint lowerRight)
{
    const auto direction = [&toWater](ScreenPoint p) -> std::optional<double> {
        const std::optional<SurveyPoint> p1 = toWater(p);
        const std::optional<SurveyPoint> p2 = toWater(ScreenPoint{p.x, p.y - 45.0});
        if (!p1 || !p2)
            return std::nullopt;
        const double dX = p1->X - p2->X;
        const double dY = p1->Y - p2->Y;
        if (dX == 0.0 && dY == 0.0)
            return std::nullopt;
        return std::atan2(dY, dX) * 180.0 / std::numbers::pi;
    };
    return foldedAngle(direction(lowerLeft), direction(lowerRight));
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

namespace {

// Gauss-Jordan elimination on the eight equations of four picture/survey pairs. The pivot is the
// largest entry of its column: with coordinates taken from the centroid, symmetric buoy layouts
// leave entries that are zero but for rounding, and the first non-zero entry would then be one
// of those.
std::optional<GridCoefficients> eliminate(const std::array<ScreenPoint, kBuoyCount>& picture,
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
        for (int i = k + 1; i <= 8; ++i) {
            if (std::fabs(a[i][k]) > std::fabs(a[r][k]))
                r = i;
        }
        if (a[r][k] == 0.0)
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

using Matrix3 = CentredMapping::Matrix3;

Matrix3 product(const Matrix3& a, const Matrix3& b)
{
    Matrix3 m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                m[i][j] += a[i][k] * b[k][j];
    return m;
}

// The centroid of four points and the scale that brings them to an average distance of √2 from
// it; none when the points all lie in one place.
template <typename Point, typename Get>
std::optional<std::array<double, 3>> centringOf(const std::array<Point, kBuoyCount>& points,
                                                Get get)
{
    double cx = 0, cy = 0;
    for (const Point& p : points) {
        cx += get(p).first / kBuoyCount;
        cy += get(p).second / kBuoyCount;
    }
    double spread = 0;
    for (const Point& p : points)
        spread += std::hypot(get(p).first - cx, get(p).second - cy) / kBuoyCount;
    if (!(spread > 0) || !std::isfinite(spread))
        return std::nullopt;
    return std::array<double, 3>{cx, cy, std::numbers::sqrt2 / spread};
}

} // namespace

std::optional<CentredMapping>
CentredMapping::solve(const std::array<ScreenPoint, kBuoyCount>& picture,
                      const std::array<SurveyPoint, kBuoyCount>& survey)
{
    const auto pc = centringOf(picture, [](ScreenPoint p) { return std::pair{p.x, p.y}; });
    const auto sc = centringOf(survey, [](SurveyPoint s) { return std::pair{s.X, s.Y}; });
    if (!pc || !sc)
        return std::nullopt;
    CentredMapping m;
    m.m_picture = *pc;
    m.m_survey = *sc;
    std::array<ScreenPoint, kBuoyCount> p{};
    std::array<SurveyPoint, kBuoyCount> s{};
    for (int i = 0; i < kBuoyCount; ++i) {
        p[i] = m.centred(picture[i]);
        s[i] = {(survey[i].X - m.m_survey[0]) * m.m_survey[2],
                (survey[i].Y - m.m_survey[1]) * m.m_survey[2]};
    }
    const std::optional<GridCoefficients> n = eliminate(p, s);
    if (!n)
        return std::nullopt;
    const GridCoefficients& k = *n;
    m.m_h = {{{k[1], k[2], k[0]}, {k[6], k[7], k[5]}, {k[3], k[4], 1.0}}};
    // The side of the horizon the buoys lie on; a mapping that puts them on both sides, or on the
    // horizon itself, describes no water plane.
    const double side = m.denominator(p[0]) > 0 ? 1.0 : -1.0;
    for (const ScreenPoint& b : p) {
        if (!(m.denominator(b) * side > 0))
            return std::nullopt;
    }
    m.m_side = side;
    // A system that is singular but for rounding solves to a mapping that misses the buoys.
    for (int i = 0; i < kBuoyCount; ++i) {
        const double w = m.denominator(p[i]);
        const double X = (m.m_h[0][0] * p[i].x + m.m_h[0][1] * p[i].y + m.m_h[0][2]) / w;
        const double Y = (m.m_h[1][0] * p[i].x + m.m_h[1][1] * p[i].y + m.m_h[1][2]) / w;
        if (!(std::hypot(X - s[i].X, Y - s[i].Y) < 1e-9))
            return std::nullopt;
    }
    return m;
}

ScreenPoint CentredMapping::centred(ScreenPoint p) const
{
    return {(p.x - m_picture[0]) * m_picture[2], (p.y - m_picture[1]) * m_picture[2]};
}

double CentredMapping::denominator(ScreenPoint centredPoint) const
{
    return m_h[2][0] * centredPoint.x + m_h[2][1] * centredPoint.y + m_h[2][2];
}

std::optional<GridCoefficients> CentredMapping::coefficients() const
{
    const Matrix3 fromPicture{{{m_picture[2], 0, -m_picture[2] * m_picture[0]},
                               {0, m_picture[2], -m_picture[2] * m_picture[1]},
                               {0, 0, 1}}};
    const Matrix3 toSurvey{
        {{1 / m_survey[2], 0, m_survey[0]}, {0, 1 / m_survey[2], m_survey[1]}, {0, 0, 1}}};
    const Matrix3 h = product(toSurvey, product(m_h, fromPicture));
    // The file's form fixes the constant of the denominator at 1: a grid whose horizon passes
    // through the picture's top-left corner cannot be written that way.
    const double w = h[2][2];
    if (w == 0.0 || !std::isfinite(w))
        return std::nullopt;
    const GridCoefficients c{h[0][2] / w, h[0][0] / w, h[0][1] / w, h[2][0] / w,
                             h[2][1] / w, h[1][2] / w, h[1][0] / w, h[1][1] / w};
    for (double v : c) {
        if (!std::isfinite(v))
            return std::nullopt;
    }
    return c;
}

std::optional<SurveyPoint> CentredMapping::offsetOnWater(ScreenPoint p) const
{
    const ScreenPoint q = centred(p);
    const double w = denominator(q);
    if (!(w * m_side > 0))
        return std::nullopt;
    const SurveyPoint s{(m_h[0][0] * q.x + m_h[0][1] * q.y + m_h[0][2]) / w / m_survey[2],
                        (m_h[1][0] * q.x + m_h[1][1] * q.y + m_h[1][2]) / w / m_survey[2]};
    if (!finite(s.X, s.Y))
        return std::nullopt;
    return s;
}

std::optional<SurveyPoint> CentredMapping::toSurvey(ScreenPoint p) const
{
    const std::optional<SurveyPoint> offset = offsetOnWater(p);
    if (!offset)
        return std::nullopt;
    return SurveyPoint{offset->X + m_survey[0], offset->Y + m_survey[1]};
}

std::optional<ScreenPoint> CentredMapping::toPicture(SurveyPoint s) const
{
    const double X = (s.X - m_survey[0]) * m_survey[2], Y = (s.Y - m_survey[1]) * m_survey[2];
    const Matrix3& h = m_h;
    // The adjugate of the centred matrix maps the water back to the picture.
    const double u = (h[1][1] * h[2][2] - h[1][2] * h[2][1]) * X +
                     (h[0][2] * h[2][1] - h[0][1] * h[2][2]) * Y +
                     (h[0][1] * h[1][2] - h[0][2] * h[1][1]);
    const double v = (h[1][2] * h[2][0] - h[1][0] * h[2][2]) * X +
                     (h[0][0] * h[2][2] - h[0][2] * h[2][0]) * Y +
                     (h[0][2] * h[1][0] - h[0][0] * h[1][2]);
    const double w = (h[1][0] * h[2][1] - h[1][1] * h[2][0]) * X +
                     (h[0][1] * h[2][0] - h[0][0] * h[2][1]) * Y +
                     (h[0][0] * h[1][1] - h[0][1] * h[1][0]);
    if (w == 0.0)
        return std::nullopt;
    const ScreenPoint q{u / w, v / w};
    // Behind the camera the closed form still gives a point, on the far side of the horizon.
    if (!(denominator(q) * m_side > 0))
        return std::nullopt;
    const ScreenPoint p{q.x / m_picture[2] + m_picture[0], q.y / m_picture[2] + m_picture[1]};
    if (!finite(p.x, p.y))
        return std::nullopt;
    return p;
}

std::optional<double> CentredMapping::fieldOfViewAngle(ScreenPoint lowerLeft,
                                                       ScreenPoint lowerRight) const
{
    // Directions taken between offsets from the survey centroid keep every digit whatever the
    // survey's origin.
    return fieldOfViewThrough([this](ScreenPoint p) { return offsetOnWater(p); }, lowerLeft,
                              lowerRight);
}

std::optional<GridCoefficients>
SolveCoefficients(const std::array<ScreenPoint, kBuoyCount>& picture,
                  const std::array<SurveyPoint, kBuoyCount>& survey)
{
    // Solved relative to the buoys' centroids, then written back in the absolute form of the
    // grid file: a survey in national-grid meters gives the same grid as one near the origin.
    const std::optional<CentredMapping> m = CentredMapping::solve(picture, survey);
    if (!m)
        return std::nullopt;
    return m->coefficients();
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

namespace {

double denominator(const GridCoefficients& c, ScreenPoint p)
{
    return 1.0 + c[3] * p.x + c[4] * p.y;
}

// The sign of the mapping's denominator on the water: the one it has at the four buoys. None
// when the buoys do not all lie on one side of the horizon, or the coefficients do not describe
// a mapping at all (all zero, as in a grid saved before it was ever solved).
std::optional<double> waterSide(const MeasurementGrid& grid)
{
    const GridCoefficients& c = grid.c;
    const double det = c[1] * (c[7] - c[5] * c[4]) - c[2] * (c[6] - c[5] * c[3]) +
                       c[0] * (c[6] * c[4] - c[7] * c[3]);
    if (det == 0.0 || !std::isfinite(det))
        return std::nullopt;
    const double side = denominator(c, grid.buoyPicture[0]) > 0 ? 1.0 : -1.0;
    for (const ScreenPoint& b : grid.buoyPicture) {
        const double d = denominator(c, b);
        if (!(d * side > 0))
            return std::nullopt;
    }
    return side;
}

} // namespace

bool onWater(const MeasurementGrid& grid, ScreenPoint p)
{
    const std::optional<double> side = waterSide(grid);
    return side && denominator(grid.c, p) * *side > 0;
}

std::optional<SurveyPoint> PictureToSurvey(const MeasurementGrid& grid, ScreenPoint p)
{
    if (!onWater(grid, p))
        return std::nullopt;
    return PictureToSurvey(grid.c, p);
}

std::optional<ScreenPoint> SurveyToPicture(const MeasurementGrid& grid, SurveyPoint s)
{
    if (!waterSide(grid))
        return std::nullopt;
    // A survey position behind the camera comes out of the closed form on the far side of the
    // horizon: it is not in the picture.
    const std::optional<ScreenPoint> p = SurveyToPicture(grid.c, s);
    if (!p || !onWater(grid, *p))
        return std::nullopt;
    return p;
}

std::optional<double> distanceUncertainty_m(const MeasurementGrid& grid, ScreenPoint p,
                                            Tournament t)
{
    if (!PictureToSurvey(grid, p))
        return std::nullopt;
    // The distance as the station finds it from the buoys as marked and the click: solve, then
    // measure.
    const auto measured = [&grid, t](const std::array<ScreenPoint, kBuoyCount>& buoys,
                                     ScreenPoint click) -> std::optional<double> {
        MeasurementGrid g = grid;
        const std::optional<GridCoefficients> c = SolveCoefficients(buoys, grid.buoySurvey);
        if (!c)
            return std::nullopt;
        g.c = *c;
        g.buoyPicture = buoys;
        const std::optional<JumpDistance> d = distance_calculation(g, click, t);
        if (!d)
            return std::nullopt;
        return d->distance_m;
    };
    // Central differences a tenth of a pixel wide: far below the half pixel of rounding, far
    // above the solver's own rounding.
    constexpr double step_twips = 1.5;
    double bound = 0;
    for (int q = 0; q < 2 * (kBuoyCount + 1); ++q) {
        std::array<ScreenPoint, kBuoyCount> up = grid.buoyPicture, down = grid.buoyPicture;
        ScreenPoint clickUp = p, clickDown = p;
        const int point = q / 2;
        double& u = point < kBuoyCount ? (q % 2 ? up[point].y : up[point].x)
                                       : (q % 2 ? clickUp.y : clickUp.x);
        double& d = point < kBuoyCount ? (q % 2 ? down[point].y : down[point].x)
                                       : (q % 2 ? clickDown.y : clickDown.x);
        u += step_twips;
        d -= step_twips;
        const std::optional<double> above = measured(up, clickUp);
        const std::optional<double> below = measured(down, clickDown);
        if (!above || !below)
            return std::nullopt;
        bound += std::fabs(*above - *below) / (2 * step_twips) * kPictureRounding_twips;
    }
    if (!std::isfinite(bound))
        return std::nullopt;
    return bound;
}

std::optional<JumpDistance> distance_calculation(const MeasurementGrid& grid, ScreenPoint p,
                                                 Tournament t)
{
    const std::optional<SurveyPoint> s = PictureToSurvey(grid, p);
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
    return fieldOfViewThrough([&c](ScreenPoint p) { return PictureToSurvey(c, p); }, lowerLeft,
                              lowerRight);
}

double reportedFieldOfView(double angle_deg)
{
    return (std::floor(10.0 * angle_deg) + 15.0) / 10.0;
}

} // namespace fw
