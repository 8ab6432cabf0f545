#pragma once

// Recording a jump, decided from the operator's entries alone: the refusals, the figures of a
// measured distance, and the results line and record that the measurement screen then writes.

#include "grid/Geometry.h"
#include "measure/JumpResult.h"
#include "support/result.h"

#include <QDateTime>
#include <QString>

namespace fw {

// What the jump being recorded came to.
enum class JumpOutcome {
    Measured = 1, // the distance at the clicked impact point
    Pass,
    Fall,
    OtherGrid // the distance was measured on another grid's screen, or there is none
};

// Everything recording reads, gathered from the measurement screen.
struct JumpEntries {
    Tournament tournament;   // barefoot and sit ski feet are written to a tenth
    bool verifyMode = false; // a jump recorded in verify mode is unofficial
    JumpOutcome outcome = JumpOutcome::Measured;
    QDateTime at;
    QString skier;
    QString jumpNumber; // as it stands, possibly with its leading space
    QString comment;
    // A picture taken from the clipboard, a snapshot or a file: the jump number waits for Clear.
    bool pictureHeld = false;
    bool impactClicked = false; // on the picture now shown
    ScreenPoint impact;         // twips
    int gridNumber = 1;         // the grid measured on, named when a point cannot be measured
    OtherGridEntry otherGrid;   // the answers to the other grid's questions
    // What a jump that measures nothing repeats: the water position last computed and the
    // precise distance of the last measured jump.
    SurveyPoint lastSurvey;
    QString lastPreciseMeters;
};

// A jump ready to be written.
struct RecordedJump {
    JumpResult jump;       // also what the scoring program is sent
    QString resultsLine;   // without the line end
    bool measured = false; // the distance was measured at the impact point just now
    // A pass, fall or other grid on a picture not held: the next jump number follows at once.
    bool advanceJumpNumber = false;
};

// The refusals that come before any question is asked: a jump number that is not a whole number
// from 1 to 99, and a measured jump whose impact point was not clicked on this picture.
Outcome checkReadyToRecord(const JumpEntries& entries);

// The jump as it is recorded, measured on grid when its outcome is Measured; or the message that
// refuses it, and nothing is written. Abandoned other-grid answers refuse with an empty message:
// the operator cancelled, there is nothing to say.
Result<RecordedJump> jumpRecord(const JumpEntries& entries, const MeasurementGrid& grid);

} // namespace fw
