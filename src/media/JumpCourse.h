#pragma once

// The demo jump course: what a measuring camera beside a water-ski jump course sees, drawn through
// a known pinhole camera, together with the exact ground truth a test or a demo station needs.
//
// Survey coordinates are meters on the water surface: X runs along the course in the skier's
// direction (the ramp's jump point has the smallest X), Y runs across it away from the camera.
// The camera stands on the near shore, level, beside the landing area, so the skier crosses the
// picture from left to right; the ramp lies upstream, outside this camera's view, as it does for
// a landing-area camera whose zoom the grid checks hold to under 35 degrees.
//
// Picture positions are in pixels of the requested picture size, in the station's frame: x
// right, y down, and pixel (i, j) is the position (i, j), so a click on that pixel gives
// (15 i, 15 j) twips. The principal point is the picture's centre; the camera keeps its angle of
// view across the width whatever the size, so every size shows the same scene.
//
// Frames are a function of (index, size, frames per second) alone: the same arguments always give
// the same picture. A skier lands every few seconds; each landing touches the water exactly at
// the time of a frame, its first-contact frame, at a known survey position.

#include "grid/Geometry.h"
#include "grid/GridEntries.h"

#include <QImage>
#include <QPointF>
#include <QSize>

#include <array>
#include <optional>

class QColor;
class QPainter;

namespace fw {

// A plane projective mapping: (x', y', w) = m · (x, y, 1), m row-major.
struct PlaneHomography {
    std::array<double, 9> m{};

    // None where w is not positive: the point lies on or beyond the horizon line (or behind the
    // camera).
    std::optional<QPointF> map(QPointF p) const;
    // The inverse, scaled so that points in front of the camera keep a positive w.
    PlaneHomography inverted() const;
};

// A level pinhole camera (no roll) standing beside the course.
struct CourseCamera {
    SurveyPoint foot;         // the water point straight below the lens
    double height_m = 0;      // of the lens above the water
    double heading_deg = 0;   // the optical axis on the water: degrees from survey +Y towards -X
    double tilt_deg = 0;      // the optical axis below the horizontal
    double viewAngle_deg = 0; // the full horizontal angle of view

    double focal_px(QSize size) const;
};

// One jump's landing.
struct CourseLanding {
    int jump = 0;          // 0 for the first jump of the recording, then 1, 2, ...
    SurveyPoint survey;    // where the skis first touch the water
    double distance_m = 0; // straight from the jump point, without any ramp offset
    int frame = 0;         // the first frame showing the skis on the water
    QPointF picture_px;    // the landing point in the picture
    ScreenPoint picture_twips;
};

class JumpCourse {
public:
    // The course of the demo station.
    JumpCourse();

    const CourseCamera& camera() const { return m_camera; }
    SurveyPoint jumpPoint() const { return m_jump; }
    SurveyPoint buoy(BuoyIndex b) const { return m_buoys[buoySlot(b)]; }
    SurveyPoint checkBuoy() const { return m_checkBuoy; }

    // Water surface (meters) to picture (pixels) and back, for a picture of `size`.
    PlaneHomography surveyToPicture(QSize size) const;
    PlaneHomography pictureToSurvey(QSize size) const;
    // Any point `z_m` above the water; none behind the camera.
    std::optional<QPointF> project(double X, double Y, double z_m, QSize size) const;

    // The exact picture positions of the course's points (the jump point lies left of the
    // picture). Course points always lie in front of the camera.
    QPointF picture_px(SurveyPoint s, QSize size) const;
    static ScreenPoint twips(QPointF px) { return {px.x() * 15.0, px.y() * 15.0}; }

    // Jump `jump` (0, 1, ...) of a recording at `fps` frames per second. Jump k lands at frame
    // round(fps (2 + 4 k)), landings 32 to 55 m from the jump point, up to 1.5 m either side of
    // the course line.
    CourseLanding landing(int jump, double fps, QSize size) const;
    // The first jump whose first-contact frame is `frame` or later.
    int firstJumpLandingFrom(int frame, double fps) const;

    // Grid 1 as an operator sets it up on this course: buoy and check buoy picture positions
    // clicked on their nearest pixel, surveyed positions as typed, the coefficients solved from
    // them. Not marked completed: the station's own checks decide that.
    MeasurementGrid measurementGrid(QSize size) const;
    GridEntries gridEntries(QSize size) const;

    // The picture at frame `index` of a recording at `fps` frames per second (32-bit RGB). A null
    // image for an empty size.
    QImage frame(int index, QSize size, double fps) const;

private:
    struct Jump;
    Jump jumpParameters(int jump, double fps) const;

    // The drawing steps of frame(), in the order they paint over the water.
    struct Picture;
    struct SkierPlace;
    void drawShore(Picture& picture) const;
    void drawBuoy(Picture& picture, SurveyPoint s, const QColor& colour) const;
    void drawSkiers(Picture& picture, int index, double rate) const;
    static void drawSplash(Picture& picture, const Jump& j, double since_s,
                           const SkierPlace& skier);
    static void drawSkier(Picture& picture, const Jump& j, double since_s, const SkierPlace& skier);
    static void drawSpray(Picture& picture, const Jump& j, double since_s);

    CourseCamera m_camera;
    SurveyPoint m_jump;
    std::array<SurveyPoint, kBuoyCount> m_buoys{}; // by buoySlot(BuoyIndex)
    SurveyPoint m_checkBuoy;
    double m_farShoreY_m = 0;
};

} // namespace fw
