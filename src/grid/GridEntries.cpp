#include "grid/GridEntries.h"

#include "support/textforms.h"

namespace fw {

namespace {

using Field = QString GridEntries::*;

// Fields of the four buoys in BuoyIndex order: upper right, lower right, upper left, lower left.
constexpr Field kPictureX[kBuoyCount] = {&GridEntries::upper_right_x, &GridEntries::lower_right_x,
                                         &GridEntries::upper_left_x, &GridEntries::lower_left_x};
constexpr Field kPictureY[kBuoyCount] = {&GridEntries::upper_right_y, &GridEntries::lower_right_y,
                                         &GridEntries::upper_left_y, &GridEntries::lower_left_y};
constexpr Field kSurveyX[kBuoyCount] = {&GridEntries::ur_survey_x, &GridEntries::lr_survey_x,
                                        &GridEntries::ul_survey_x, &GridEntries::ll_survey_x};
constexpr Field kSurveyY[kBuoyCount] = {&GridEntries::ur_survey_y, &GridEntries::lr_survey_y,
                                        &GridEntries::ul_survey_y, &GridEntries::ll_survey_y};

} // namespace

QString& GridEntries::pictureX(BuoyIndex b)
{
    return this->*kPictureX[buoySlot(b)];
}
QString& GridEntries::pictureY(BuoyIndex b)
{
    return this->*kPictureY[buoySlot(b)];
}
QString& GridEntries::surveyX(BuoyIndex b)
{
    return this->*kSurveyX[buoySlot(b)];
}
QString& GridEntries::surveyY(BuoyIndex b)
{
    return this->*kSurveyY[buoySlot(b)];
}
const QString& GridEntries::pictureX(BuoyIndex b) const
{
    return this->*kPictureX[buoySlot(b)];
}
const QString& GridEntries::pictureY(BuoyIndex b) const
{
    return this->*kPictureY[buoySlot(b)];
}
const QString& GridEntries::surveyX(BuoyIndex b) const
{
    return this->*kSurveyX[buoySlot(b)];
}
const QString& GridEntries::surveyY(BuoyIndex b) const
{
    return this->*kSurveyY[buoySlot(b)];
}

QString gridCaption(int grid)
{
    return QStringLiteral("Grid %1").arg(grid);
}

std::optional<int> gridNumberFromCaption(const QString& caption)
{
    for (int g = 1; g <= 3; ++g) {
        if (caption == gridCaption(g))
            return g;
    }
    return std::nullopt;
}

double fieldNumber(const QString& text)
{
    return entryNumber(text);
}

QString fieldText(double value)
{
    return leadingSpace(value);
}

MeasurementGrid gridFromEntries(const GridEntries& e, const MeasurementGrid& base)
{
    MeasurementGrid g = base;
    for (int i = 1; i <= kBuoyCount; ++i) {
        const auto b = BuoyIndex(i);
        g.picture(b) = {fieldNumber(e.pictureX(b)), fieldNumber(e.pictureY(b))};
        g.survey(b) = {fieldNumber(e.surveyX(b)), fieldNumber(e.surveyY(b))};
    }
    g.jump = {fieldNumber(e.jump_x), fieldNumber(e.jump_y)};
    g.checkBuoyPicture = {fieldNumber(e.check_picture_x), fieldNumber(e.check_picture_y)};
    g.checkBuoySurvey = {fieldNumber(e.check_survey_x), fieldNumber(e.check_survey_y)};
    g.description1 = e.description;
    g.description2 = e.description_2;
    return g;
}

GridEntries entriesFromGrid(const MeasurementGrid& g, int gridNumber)
{
    GridEntries e;
    for (int i = 1; i <= kBuoyCount; ++i) {
        const auto b = BuoyIndex(i);
        e.pictureX(b) = fieldText(g.picture(b).x);
        e.pictureY(b) = fieldText(g.picture(b).y);
        e.surveyX(b) = fieldText(g.survey(b).X);
        e.surveyY(b) = fieldText(g.survey(b).Y);
    }
    e.jump_x = fieldText(g.jump.X);
    e.jump_y = fieldText(g.jump.Y);
    e.check_picture_x = fieldText(g.checkBuoyPicture.x);
    e.check_picture_y = fieldText(g.checkBuoyPicture.y);
    e.check_survey_x = fieldText(g.checkBuoySurvey.X);
    e.check_survey_y = fieldText(g.checkBuoySurvey.Y);
    e.description = g.description1.isEmpty() ? QString(kNoFile) : g.description1;
    e.description_2 = g.description2;
    e.grid_caption = gridCaption(gridNumber);
    return e;
}

} // namespace fw
