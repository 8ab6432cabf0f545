#include "measure/JumpRecording.h"

#include "support/textforms.h"

namespace fw {

Outcome checkReadyToRecord(const JumpEntries& entries)
{
    const Outcome numberOk = checkJumpNumber(entries.jumpNumber);
    if (!numberOk)
        return numberOk;
    if (entries.outcome == JumpOutcome::Measured && !entries.impactClicked)
        return Outcome::failure(
            QStringLiteral("No impact point has been clicked on this picture. Click the "
                           "point where the skier first touches the water, then "
                           "record the jump. Nothing was recorded."));
    return Outcome::success();
}

namespace {

Outcome measureAtImpact(const JumpEntries& entries, const MeasurementGrid& grid, JumpResult& jump)
{
    const std::optional<JumpDistance> measured =
        distance_calculation(grid, entries.impact, entries.tournament);
    if (!measured)
        return Outcome::failure(
            QStringLiteral("The impact point lies beyond the horizon of grid %1: no distance can "
                           "be measured there. Nothing was recorded.")
                .arg(entries.gridNumber));
    const bool feetInTenths = entries.tournament.barefoot || entries.tournament.sitSki;
    const Result<DistanceFigures> figures = distanceFigures(measured->distance_m, feetInTenths);
    if (!figures)
        return Outcome::failure(figures.message());
    jump.metersText = figures->metersText;
    jump.feetText = figures->feetText;
    jump.metersValue = figures->metersValue;
    jump.feetValue = figures->feetValue;
    jump.preciseMeters = figures->preciseMeters;
    jump.surveyX_m = measured->point.X;
    jump.surveyY_m = measured->point.Y;
    return Outcome::success();
}

void takeOtherGridEntry(const OtherGridEntry& entry, JumpResult& jump)
{
    jump.otherGrid = true;
    if (entry.kind == OtherGridEntry::Kind::Distance) {
        jump.metersText = entry.metersText;
        jump.feetText = entry.feetText;
        jump.metersValue = entry.metersValue;
        jump.feetValue = entry.feetValue;
    } else {
        jump.comment = jumptexts::OtherGridNoDistance;
    }
}

} // namespace

Result<RecordedJump> jumpRecord(const JumpEntries& entries, const MeasurementGrid& grid)
{
    if (const Outcome ready = checkReadyToRecord(entries); !ready)
        return Result<RecordedJump>::failure(ready.message());
    RecordedJump recorded;
    JumpResult& jump = recorded.jump;
    jump.comment = entries.comment;
    jump.surveyX_m = entries.lastSurvey.X;
    jump.surveyY_m = entries.lastSurvey.Y;
    jump.preciseMeters = entries.lastPreciseMeters;
    switch (entries.outcome) {
    case JumpOutcome::Measured:
        if (const Outcome measured = measureAtImpact(entries, grid, jump); !measured)
            return Result<RecordedJump>::failure(measured.message());
        recorded.measured = true;
        break;
    case JumpOutcome::OtherGrid:
        if (entries.otherGrid.kind == OtherGridEntry::Kind::Abandoned)
            return Result<RecordedJump>::failure(QString());
        takeOtherGridEntry(entries.otherGrid, jump);
        recorded.advanceJumpNumber = !entries.pictureHeld;
        break;
    case JumpOutcome::Pass:
    case JumpOutcome::Fall:
        // No figures: the status comes from the comment the option wrote.
        recorded.advanceJumpNumber = !entries.pictureHeld;
        break;
    }
    jump.date = dateText(entries.at);
    jump.time = timeText(entries.at);
    jump.skier = entries.skier;
    jump.jumpNumber = entries.jumpNumber;
    jump.status = statusForComment(jump.comment);
    jump.barefoot = entries.tournament.barefoot;
    jump.unofficial = entries.verifyMode;
    jump.pictureX_twips = entries.impact.x;
    jump.pictureY_twips = entries.impact.y;
    recorded.resultsLine = resultsLine(jump);
    return recorded;
}

} // namespace fw
