#pragma once

// The grid setup screen's entry fields as one record of texts. Completion, saving and loading
// read and write the fields as the operator sees them; the screen binds each of its fields to
// one member of this record.

#include "grid/Geometry.h"

#include <QString>

namespace fw {

// The texts the fields hold until something is entered.
constexpr QLatin1String kPictureUnset("auto");
constexpr QLatin1String kSurveyUnset("input");
constexpr QLatin1String kJumpXUnset("jump x");
constexpr QLatin1String kJumpYUnset("jump y");
constexpr QLatin1String kCheckXUnset("CheckX");
constexpr QLatin1String kCheckYUnset("CheckY");
constexpr QLatin1String kNoFile("No File");

struct GridEntries {
    // Buoy picture positions (twips), display fields set by mouse, arrows, selection or loading.
    QString upper_left_x = kPictureUnset, upper_left_y = kPictureUnset;
    QString upper_right_x = kPictureUnset, upper_right_y = kPictureUnset;
    QString lower_left_x = kPictureUnset, lower_left_y = kPictureUnset;
    QString lower_right_x = kPictureUnset, lower_right_y = kPictureUnset;
    // Buoy survey positions (meters) as typed.
    QString ul_survey_x = kSurveyUnset, ul_survey_y = kSurveyUnset;
    QString ur_survey_x = kSurveyUnset, ur_survey_y = kSurveyUnset;
    QString ll_survey_x = kSurveyUnset, ll_survey_y = kSurveyUnset;
    QString lr_survey_x = kSurveyUnset, lr_survey_y = kSurveyUnset;
    QString jump_x = kJumpXUnset, jump_y = kJumpYUnset;
    // Check buoy: survey position as typed, picture position (empty until marked).
    QString check_survey_x = kCheckXUnset, check_survey_y = kCheckYUnset;
    QString check_picture_x, check_picture_y;
    // The two descriptive lines saved with the grid.
    QString description = kNoFile;
    QString description_2;
    // The grid button's caption: which grid the fields belong to.
    QString grid_caption = QStringLiteral("Grid 1");

    // The fields of one buoy, by BuoyIndex.
    QString& pictureX(BuoyIndex b);
    QString& pictureY(BuoyIndex b);
    QString& surveyX(BuoyIndex b);
    QString& surveyY(BuoyIndex b);
    const QString& pictureX(BuoyIndex b) const;
    const QString& pictureY(BuoyIndex b) const;
    const QString& surveyX(BuoyIndex b) const;
    const QString& surveyY(BuoyIndex b) const;
};

// "Grid 1".."Grid 3" for 1..3.
QString gridCaption(int grid);
// 1..3 from "Grid 1".."Grid 3"; none for any other caption.
std::optional<int> gridNumberFromCaption(const QString& caption);

// The value of a number field as the station reads every entry: its leading number, otherwise 0.
double fieldNumber(const QString& text);
// How a position field shows a number: a leading blank for a non-negative value.
QString fieldText(double value);

// The positions as the fields show them, read as numbers ("auto", "input" and the other
// placeholders read 0), the descriptions as texts; the coefficients and the completed flag are
// taken from `base`.
MeasurementGrid gridFromEntries(const GridEntries& entries, const MeasurementGrid& base);

// Every field filled from a grid (positions in the fields' number form), captioned for `grid`.
GridEntries entriesFromGrid(const MeasurementGrid& grid, int gridNumber);

} // namespace fw
