#pragma once

// One recorded jump and the text forms it is written in: the results file line, the note lines
// of rerides and comments, and the status lines handed to the scoring program.

#include "support/result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

class Dialogs;

enum class JumpStatus { OK = 1, Fall, Pass };

// One recorded jump; the texts are those the measurement screen shows once it is recorded.
struct JumpResult {
    QString date; // mm-dd-yyyy
    QString time; // hh:mm:ss
    QString skier;
    QString jumpNumber;  // possibly with its leading space
    QString metersText;  // as shown: " 45.6m", "m" or empty
    QString feetText;    // as shown: " 150ft", "ft" or empty
    QString metersValue; // the meters figure alone, or the other grid's entry
    QString feetValue;   // the feet figure alone, or the other grid's entry and a blank
    JumpStatus status = JumpStatus::OK;
    QString comment;
    bool barefoot = false;
    bool unofficial = false; // recorded in verify mode
    bool otherGrid = false;
    double surveyX_m = 0; // impact on the water
    double surveyY_m = 0;
    double pictureX_twips = 0; // impact in the picture
    double pictureY_twips = 0;
    QString preciseMeters; // leading-space form to 0.0001 m, empty before the first measurement
};

// The figures of one measured distance, each in the form it is shown and written in.
struct DistanceFigures {
    double meters = 0;     // to 0.1 m
    double feet = 0;       // whole feet, or tenths for barefoot and sit ski
    double precise = 0;    // to 0.0001 m
    QString metersValue;   // " 45.6"
    QString feetValue;     // " 150"
    QString metersText;    // " 45.6m"
    QString feetText;      // " 150ft"
    QString preciseMeters; // " 45.6312"
};

// The recorded figures of a jump distance d in meters (ramp offset included). feetInTenths is
// set for barefoot and sit ski tournaments, whose feet are written to a tenth. A distance that is
// not a finite number (a point beyond the grid's horizon) or beyond any jump gives a message
// instead of figures.
Result<DistanceFigures> distanceFigures(double d_m, bool feetInTenths);

// Fall when the comment is exactly "Fall", Pass when exactly "Pass", otherwise OK.
JumpStatus statusForComment(const QString& comment);

// The results file line of a jump (without the line end).
QString resultsLine(const JumpResult& jump);

// A note line: the date, the time and the comment.
QString noteLine(const QString& date, const QString& time, const QString& comment);

// The line written to qxresult.dst and, after time and skier, to qxraw.dst.
QString wstimsStatusLine(const JumpResult& jump);

// The line appended to qxraw.dst (without the line end): the time, the skier up to the first
// comma, and the status line.
QString wstimsRawLine(const JumpResult& jump);

// The jump number after an automatic advance: the number + 1 in leading-space form.
QString nextJumpNumber(const QString& jumpNumber);

// A jump number as the operator may record it: a whole number from 1 to 99, blanks around it
// allowed (" 2" after an automatic advance). Otherwise the message that refuses the recording.
Outcome checkJumpNumber(const QString& jumpNumber);

// Whether meters and feet entered for another grid agree to within two feet.
bool otherGridEntriesAgree(double meters, double feet);

// The texts fixed for the outcome options and note lines.
namespace jumptexts {
inline const QString Fall = QStringLiteral("Fall");
inline const QString Pass = QStringLiteral("Pass");
inline const QString OtherGrid = QStringLiteral("Distance from other grid");
inline const QString OtherGridNoDistance = QStringLiteral("Other Grid - no distance recorded");
inline const QString MandatoryReride = QStringLiteral("Mandatory Reride - disregard last jump");
inline const QString OptionalReride = QStringLiteral("Optional Reride on previous jump");
inline const QString CommentPrompt = QStringLiteral("What comment would you like to add?");
inline const QString CommentTitle = QStringLiteral("Input Comment");
} // namespace jumptexts

// The operator's answer to the other grid's questions.
struct OtherGridEntry {
    enum class Kind {
        Distance = 1, // meters and feet entered and in agreement
        NoDistance,   // "No": nothing to record from the other grid
        Abandoned     // an entry box was cancelled: record nothing at all
    };
    Kind kind = Kind::Abandoned;
    QString metersText;  // distance as it then reads: the entry and "m"
    QString feetText;    // feet as they then read: the entry, a blank and "ft"
    QString metersValue; // the entry
    QString feetValue;   // the entry and a blank
};

// A distance typed from another grid's screen in the form it is written in: the station's number
// reading with a decimal comma taken as a point, blanks around it dropped ("40,5" gives "40.5").
// None for anything that is not a number of zero or more.
std::optional<QString> otherGridFigure(const QString& typed);

// Asks for the distance measured on another grid until meters and feet are numbers that agree,
// the operator answers No, or cancels an entry box. An entry that is not a number is explained
// and asked again.
OtherGridEntry askOtherGridDistance(Dialogs& dialogs);

// The texts of the live read-out under the mouse in verify mode. A value that is not a finite
// number (beyond the grid's horizon) gives an empty text.
QString twipsReadout(double twips);        // whole twips, leading-space form
QString surveyReadout(double meters);      // to 0.01 m, leading-space form
QString verifyDistanceReadout(double d_m); // " 45.6m  150ft"
// How far a distance can be off from picture rounding, as shown beside it: "± 0.04 m" (two
// decimals). Empty when there is no bound (a point not on the water).
QString uncertaintyReadout(std::optional<double> bound_m);

} // namespace fw
