#pragma once

// The measurement grid and the mapping between the camera picture and the water surface.
//
// Picture positions are twips (x right, y down from the picture's top-left corner); survey
// positions are meters in the surveyor's plane coordinates. From four buoys seen in the picture
// and surveyed on the water the station solves a plane projective transformation with eight
// coefficients c1..c8:
//     X = (c1 + c2·x + c3·y) / (1 + c4·x + c5·y)
//     Y = (c6 + c7·x + c8·y) / (1 + c4·x + c5·y)
// A point on the horizon line of the water plane maps to infinity; such a point has no result
// here (nor has a point so near that line that it maps more than 10^12 twips or meters away), so
// no infinity or NaN ever reaches a screen or a file.

#include <QString>

#include <array>
#include <optional>

namespace fw {

struct StationSettings;

// One picture position, twips.
struct ScreenPoint {
    double x = 0;
    double y = 0;
};

// One water-surface position, meters.
struct SurveyPoint {
    double X = 0;
    double Y = 0;
};

// The four grid buoys in their fixed order: the order of their equations in the solver, of their
// lines in the grid file and of their slots in every per-grid table. Upper buoys are the back
// (far) buoys, lower buoys the front (near) ones.
enum class BuoyIndex : int { UpperRight = 1, LowerRight = 2, UpperLeft = 3, LowerLeft = 4 };
constexpr int kBuoyCount = 4;
constexpr int buoySlot(BuoyIndex b)
{
    return int(b) - 1;
}

// c1..c8 held at [0]..[7].
using GridCoefficients = std::array<double, 8>;

// One configured grid.
struct MeasurementGrid {
    std::array<ScreenPoint, kBuoyCount> buoyPicture{}; // by buoySlot(BuoyIndex)
    std::array<SurveyPoint, kBuoyCount> buoySurvey{};
    SurveyPoint jump; // the jump point of the ramp
    ScreenPoint checkBuoyPicture;
    SurveyPoint checkBuoySurvey;
    GridCoefficients c{};
    QString description1; // the grid file's full path once saved or loaded
    QString description2; // the operator's descriptive line
    bool completed = false;

    ScreenPoint& picture(BuoyIndex b) { return buoyPicture[buoySlot(b)]; }
    const ScreenPoint& picture(BuoyIndex b) const { return buoyPicture[buoySlot(b)]; }
    SurveyPoint& survey(BuoyIndex b) { return buoySurvey[buoySlot(b)]; }
    const SurveyPoint& survey(BuoyIndex b) const { return buoySurvey[buoySlot(b)]; }
};

// Picture to water. None when the point lies on the horizon line (or the grid is degenerate).
std::optional<SurveyPoint> PictureToSurvey(const GridCoefficients& c, ScreenPoint p);
// Water to picture, in closed form from the adjugate of the mapping's matrix. None when the
// survey position lies on the line that maps to infinity.
std::optional<ScreenPoint> SurveyToPicture(const GridCoefficients& c, SurveyPoint s);

// Solves the eight coefficients from the four buoys by Gauss-Jordan elimination relative to the
// buoys' centroids (see CentredMapping), written back in the grid file's absolute form. None when
// the system has no unique solution (or gives no finite coefficients).
std::optional<GridCoefficients>
SolveCoefficients(const std::array<ScreenPoint, kBuoyCount>& picture,
                  const std::array<SurveyPoint, kBuoyCount>& survey);

// A grid's mapping held relative to its buoys' centroids, picture and survey, each scaled to an
// average distance of √2: the station's elimination then sees numbers of one size, and the
// check buoy's prediction and the field of view keep every digit whether the survey's origin
// lies beside the course or 500 km away.
class CentredMapping {
public:
    using Matrix3 = std::array<std::array<double, 3>, 3>;

    // None when the system has no unique solution or the buoys do not lie on one side of the
    // horizon it describes.
    static std::optional<CentredMapping> solve(const std::array<ScreenPoint, kBuoyCount>& picture,
                                               const std::array<SurveyPoint, kBuoyCount>& survey);
    // In the grid file's absolute form; none when that form cannot hold the mapping.
    std::optional<GridCoefficients> coefficients() const;
    // Picture to water; none on and beyond the horizon.
    std::optional<SurveyPoint> toSurvey(ScreenPoint p) const;
    // Water to picture; none when the position would appear beyond the horizon.
    std::optional<ScreenPoint> toPicture(SurveyPoint s) const;
    // As fieldOfViewAngle below.
    std::optional<double> fieldOfViewAngle(ScreenPoint lowerLeft, ScreenPoint lowerRight) const;

private:
    ScreenPoint centred(ScreenPoint p) const;
    double denominator(ScreenPoint centredPoint) const;
    // The water position relative to the survey centroid.
    std::optional<SurveyPoint> offsetOnWater(ScreenPoint p) const;

    std::array<double, 3> m_picture{}; // centroid x, y and scale
    std::array<double, 3> m_survey{};
    Matrix3 m_h{}; // centred picture to centred water
    double m_side = 1;
};

// The tournament type as far as distances go. Barefoot wins when both flags are set.
struct Tournament {
    bool barefoot = false;
    bool sitSki = false;
    static Tournament of(const StationSettings& settings);
    // "normal", "sitski", "barefoot"; none for any other text.
    static std::optional<Tournament> named(const QString& name);
};

// The fixed distance from the jump point to the end of the ramp: 2.1 m, 1.9 m for Sit Ski,
// nothing for Barefoot.
double rampOffset_m(Tournament t);

struct JumpDistance {
    SurveyPoint point;     // the picture position mapped to the water
    double distance_m = 0; // straight distance from the jump point plus the ramp offset, unrounded
};

// Whether a picture position shows the water: the mapping's denominator has there the sign it
// has at the grid's four buoys. False on the horizon and beyond it, and for every point when the
// buoys do not lie on one side of the horizon or the coefficients describe no mapping.
bool onWater(const MeasurementGrid& grid, ScreenPoint p);

// Picture to water for a grid: none when the point is not on the water, lies on the horizon, or
// the grid does not solve.
std::optional<SurveyPoint> PictureToSurvey(const MeasurementGrid& grid, ScreenPoint p);
// Water to picture for a grid: none when the position would appear beyond the horizon (it lies
// behind the camera) or maps to infinity.
std::optional<ScreenPoint> SurveyToPicture(const MeasurementGrid& grid, SurveyPoint s);

// The jump distance of a picture position on the grid. None when the point is not on the water.
std::optional<JumpDistance> distance_calculation(const MeasurementGrid& grid, ScreenPoint p,
                                                 Tournament t);

// Half a picture pixel: how far a marked or clicked position can be off by rounding alone.
constexpr double kPictureRounding_twips = 7.5;

// Bound in meters of the distance error from picture rounding: the sum over the ten picture
// coordinates that produce the distance (the click's x and y and the four buoys' x and y as
// marked) of |dD/dq| times half a pixel, each derivative taken by central differences through
// the solve and the measurement. None when p is not on the water or the grid does not solve.
std::optional<double> distanceUncertainty_m(const MeasurementGrid& grid, ScreenPoint p,
                                            Tournament t);

// The figures recording shows: meters to tenths (half up); feet whole (half up) in a normal
// tournament, tenths of a foot for Barefoot and Sit Ski.
double meterFigure(double distance_m);
double feetFigure(double distance_m, Tournament t);

// Straight survey distance between two positions.
double surveyDistance(SurveyPoint a, SurveyPoint b);

// +1 when the upper right buoy's survey X is smaller than the upper left buoy's, otherwise -1.
double xOrientationOf(double upperRightX, double upperLeftX);

// The check buoy tolerance: a pixel and a half in each direction, tested separately.
constexpr double kCheckBuoyTolerance_twips = 22.5;
// A difference of exactly a pixel and a half passes also when the prediction carries rounding
// noise in its last digits (survey coordinates of millions of meters carry a nanometer of
// rounding, which near the camera is a millionth of a twip).
constexpr double kCheckBuoySlack_twips = 1e-4;

// The acute angle in degrees (0..90), seen on the water, between the picture verticals through
// the two front buoys. Each vertical is followed from the buoy 45 twips up the picture and mapped;
// the two water directions are compared by atan2 and folded into 0..90, so the figure does not
// depend on how the survey axes lie. None when a point maps to infinity or a line has no length.
std::optional<double> fieldOfViewAngle(const GridCoefficients& c, ScreenPoint lowerLeft,
                                       ScreenPoint lowerRight);
// The figure shown to the operator: the angle truncated down to tenths plus 1.5 degrees.
double reportedFieldOfView(double angle_deg);
// Grids whose reported field of view is above this are refused.
constexpr double kMaxFieldOfView_deg = 35.0;

} // namespace fw
