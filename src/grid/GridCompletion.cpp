#include "grid/GridCompletion.h"

#include "measure/ResultsFile.h"

#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <cmath>

namespace fw {

namespace {

bool holds(const QString& field, QLatin1String placeholder)
{
    return field.trimmed() == placeholder;
}

// A picture field is a display field: anything but a number there counts as not yet placed.
bool pictureMissing(const QString& field)
{
    return holds(field, kPictureUnset) || !parseNumber(field).has_value();
}

bool anyEntryMissing(const GridEntries& e)
{
    for (int i = 1; i <= kBuoyCount; ++i) {
        const auto b = BuoyIndex(i);
        if (pictureMissing(e.pictureX(b)) || pictureMissing(e.pictureY(b)) ||
            holds(e.surveyX(b), kSurveyUnset) || holds(e.surveyY(b), kSurveyUnset))
            return true;
    }
    return holds(e.jump_x, kJumpXUnset) || holds(e.jump_y, kJumpYUnset) ||
           holds(e.check_survey_x, kCheckXUnset) || holds(e.check_survey_y, kCheckYUnset);
}

// The check buoy's picture fields hold a marked position (not "auto", not 0).
bool checkBuoyMarked(const GridEntries& e)
{
    return !pictureMissing(e.check_picture_x) && !pictureMissing(e.check_picture_y) &&
           fieldNumber(e.check_picture_x) != 0.0;
}

int captionGrid(const GridEntries& e, const GridState& grids)
{
    return gridNumberFromCaption(e.grid_caption).value_or(grids.currentGrid);
}

QString pairLine(const QString& label, const QString& a, const QString& b)
{
    return label + a + QStringLiteral("  ") + b;
}

} // namespace

QString fieldOfViewMessage(double reported_deg)
{
    return QStringLiteral("Setup is not valid, Field of View is ") + leadingSpace(reported_deg) +
           QStringLiteral(" degrees where the maximum allowed is 35 degrees");
}

QString checkBuoyFailureMessage(double dx_twips, double dy_twips)
{
    const auto pixels = [](double twips) {
        return numberText(roundHalfUp(std::fabs(twips) / 15.0, 1));
    };
    return gridtext::checkBuoyDoesNotValidate +
           QStringLiteral(".  The marked check buoy lies %1 pixels %2 and %3 pixels %4 where the "
                          "grid predicts it; a pixel and a half each way is allowed.")
               .arg(pixels(dx_twips),
                    dx_twips < 0 ? QStringLiteral("left of") : QStringLiteral("right of"),
                    pixels(dy_twips),
                    dy_twips < 0 ? QStringLiteral("above") : QStringLiteral("below"));
}

QString frontRatioAdvice(double frontRatio)
{
    return QStringLiteral("Front ratio is ") + leadingSpace(intPart(frontRatio)) +
           QStringLiteral("%  Zoom camera in until front is > 85%");
}

GridRatios gridRatios(const GridEntries& e, double pictureWidth_twips)
{
    const double w = (std::isfinite(pictureWidth_twips) && pictureWidth_twips > 0)
                         ? pictureWidth_twips
                         : kDefaultPictureWidth_twips;
    GridRatios r;
    r.front = std::fabs(fieldNumber(e.lower_right_x) - fieldNumber(e.lower_left_x)) * 100.0 / w;
    r.back = std::fabs(fieldNumber(e.upper_right_x) - fieldNumber(e.upper_left_x)) * 100.0 / w;
    return r;
}

GridEvaluation evaluateGrid(const GridEntries& e, double pictureWidth_twips)
{
    GridEvaluation ev;
    ev.ratios = gridRatios(e, pictureWidth_twips);
    MeasurementGrid g = gridFromEntries(e, MeasurementGrid{});

    // The checks run on the mapping held relative to the buoys, so that their verdicts do not
    // depend on where the survey's origin lies.
    const std::optional<CentredMapping> mapping =
        CentredMapping::solve(g.buoyPicture, g.buoySurvey);
    if (mapping)
        ev.c = mapping->coefficients();
    bool checkBuoyPasses = false;
    std::optional<double> angle;
    if (ev.c) {
        // A check buoy that would appear beyond the horizon is as far off as one at infinity.
        ev.predictedCheckBuoy = mapping->toPicture(g.checkBuoySurvey);
        if (ev.predictedCheckBuoy && checkBuoyMarked(e)) {
            ev.checkBuoyDx = g.checkBuoyPicture.x - ev.predictedCheckBuoy->x;
            ev.checkBuoyDy = g.checkBuoyPicture.y - ev.predictedCheckBuoy->y;
            const double limit = kCheckBuoyTolerance_twips + kCheckBuoySlack_twips;
            checkBuoyPasses =
                std::fabs(*ev.checkBuoyDx) <= limit && std::fabs(*ev.checkBuoyDy) <= limit;
        }
        angle = mapping->fieldOfViewAngle(g.picture(BuoyIndex::LowerLeft),
                                          g.picture(BuoyIndex::LowerRight));
        if (angle)
            ev.fieldOfView = reportedFieldOfView(*angle);
    }

    if (anyEntryMissing(e)) {
        ev.verdict = GridVerdict::Incomplete;
        ev.message = gridtext::notAllParameters;
    } else if (fieldNumber(e.check_picture_x) == 0.0) {
        ev.verdict = GridVerdict::CheckBuoyMissing;
        ev.message = gridtext::checkBuoyMandatory;
    } else if (!ev.c) {
        ev.verdict = GridVerdict::NoSolution;
        ev.message = gridtext::noUniqueSolution;
    } else if (!ev.predictedCheckBuoy) {
        ev.verdict = GridVerdict::CheckBuoyOffPicture;
        ev.message = gridtext::checkBuoyOffPicture;
    } else if (!checkBuoyPasses) {
        ev.verdict = GridVerdict::CheckBuoyFails;
        ev.message =
            checkBuoyFailureMessage(ev.checkBuoyDx.value_or(0), ev.checkBuoyDy.value_or(0));
    } else if (!ev.fieldOfView) {
        ev.verdict = GridVerdict::FieldOfViewUnknown;
        ev.message = gridtext::fieldOfViewUnknown;
    } else if (*ev.fieldOfView > kMaxFieldOfView_deg) {
        ev.verdict = GridVerdict::FieldOfViewTooWide;
        ev.message = fieldOfViewMessage(*ev.fieldOfView);
    } else {
        ev.verdict = GridVerdict::Accepted;
    }
    return ev;
}

bool grid_check(const GridEntries& entries, double pictureWidth_twips, GridState& grids,
                Dialogs& dialogs)
{
    const GridRatios r = gridRatios(entries, pictureWidth_twips);
    grids.frontRatio = r.front;
    grids.backRatio = r.back;
    if (r.front < 80.0) {
        dialogs.message(frontRatioAdvice(r.front));
        return true;
    }
    return false;
}

CompletionResult GridCompletion(const GridEntries& entries, GridState& grids,
                                const StationSettings& settings, double pictureWidth_twips,
                                Dialogs& dialogs, const Clock& clock, ResultsFile& results)
{
    CompletionResult result;
    result.evaluation = evaluateGrid(entries, pictureWidth_twips);
    const GridEvaluation& ev = result.evaluation;
    grids.working = gridFromEntries(entries, grids.working);

    switch (ev.verdict) {
    case GridVerdict::Incomplete:
        dialogs.message(gridtext::notAllParameters, gridtext::errorTitle, DialogIcon::Exclamation);
        return result;
    case GridVerdict::CheckBuoyMissing:
        dialogs.message(gridtext::checkBuoyMandatory);
        dialogs.message(gridtext::notAllParameters, gridtext::errorTitle, DialogIcon::Exclamation);
        return result;
    default:
        break;
    }

    result.accuracyControlsShown = true;
    if (ev.verdict == GridVerdict::NoSolution) {
        // The working copy keeps its previous coefficients; they are not used until a later
        // completion succeeds.
        dialogs.message(gridtext::noUniqueSolution, gridtext::errorTitle, DialogIcon::Exclamation);
        return result;
    }
    grids.working.c = *ev.c;
    if (ev.verdict != GridVerdict::Accepted) {
        dialogs.message(ev.message);
        return result;
    }

    const int grid = captionGrid(entries, grids);
    result.accepted = true;
    result.grid = grid;
    grids.working.completed = true;
    grids.currentGrid = grid;
    grids.slot(grid) = grids.working;
    grids.recomputeAllGridsReady(settings.GridCount);
    grids.xOrientation =
        xOrientationOf(fieldNumber(entries.ur_survey_x), fieldNumber(entries.ul_survey_x));
    result.recordWritten =
        results.append(settings.ResultsFilePath, gridSetupRecord(entries, grid, clock.now()));
    result.zoomAdvice = grid_check(entries, pictureWidth_twips, grids, dialogs);
    return result;
}

QStringList buoyRecordLines(const GridEntries& e, const QString& unit)
{
    const QString blank = QStringLiteral(" ");
    const auto buoy = [&](const char* name, BuoyIndex b) {
        const QString n = QLatin1String(name);
        return QStringList{
            pairLine(n + QStringLiteral(" X,Y ") + unit + QStringLiteral(": "), e.pictureX(b),
                     e.pictureY(b)),
            pairLine(n + QStringLiteral(" X,Y Survey: "), e.surveyX(b), e.surveyY(b)), blank};
    };
    QStringList lines;
    lines << buoy("Upper Left", BuoyIndex::UpperLeft) << buoy("Lower Left", BuoyIndex::LowerLeft)
          << buoy("Upper Right", BuoyIndex::UpperRight)
          << buoy("Lower Right", BuoyIndex::LowerRight)
          << pairLine(QStringLiteral("Jump X,Y Survey: "), e.jump_x, e.jump_y) << blank;
    return lines;
}

QStringList gridPictureLines(const GridEntries& e)
{
    return buoyRecordLines(e, QStringLiteral("Pixels")) << pairLine(
               QStringLiteral("Check Buoy X,Y Pixels: "), printForm(fieldNumber(e.check_picture_x)),
               printForm(fieldNumber(e.check_picture_y)));
}

QStringList gridSetupRecord(const GridEntries& e, int grid, const QDateTime& when)
{
    QStringList lines;
    lines << dateText(when) + QLatin1Char(' ') + timeText(when) +
                 QStringLiteral(" New Set-up now in place")
          << e.description << e.description_2 << QStringLiteral("Grid Number: ") + printForm(grid)
          << QStringLiteral(" ");
    lines << gridPictureLines(e);
    lines << pairLine(QStringLiteral("Check Buoy X,Y Survey: "),
                      printForm(fieldNumber(e.check_survey_x)),
                      printForm(fieldNumber(e.check_survey_y)))
          << QStringLiteral(" ");
    return lines;
}

int gridEntriesEdited(const GridEntries& entries, GridState& grids, StationSettings& settings,
                      SettingsStore& store, bool loadingStoredGrids)
{
    grids.working = gridFromEntries(entries, grids.working);
    // What was checked is no longer what the fields hold.
    grids.working.completed = false;
    grids.allGridsReady = false;
    if (loadingStoredGrids)
        return 0;
    const int grid = captionGrid(entries, grids);
    settings.GridFile[grid - 1].clear();
    store.write(StationSettings::gridFileKey(grid), QString());
    return grid;
}

BuoyDistanceLabels buoyDistanceLabels(const MeasurementGrid& grid, BuoyIndex buoy)
{
    const double d = surveyDistance(grid.jump, grid.survey(buoy));
    const ScreenPoint at = grid.picture(buoy);
    BuoyDistanceLabels labels;
    labels.feet = leadingSpace(roundHalfUp(3.28 * d, 0)) + QStringLiteral(" feet");
    labels.feetAt = {at.x - 100.0, at.y - 400.0};
    labels.meters = leadingSpace(roundHalfUp(d, 1)) + QStringLiteral(" meters");
    labels.metersAt = {at.x - 100.0, at.y - 600.0};
    return labels;
}

} // namespace fw
