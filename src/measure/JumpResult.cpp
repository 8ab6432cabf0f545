#include "measure/JumpResult.h"

#include "support/dialogs.h"
#include "support/textforms.h"

#include <cmath>

namespace fw {

namespace {

// No jump comes near a kilometre; a point mapped that far lies at the grid's horizon, where a
// pixel spans tens of meters, and its figure would only mislead the scoring program.
constexpr double kLongestMeasurable_m = 1000.0;

QString finiteLeadingSpace(double value)
{
    return std::isfinite(value) ? leadingSpace(value) : QString();
}

} // namespace

Result<DistanceFigures> distanceFigures(double d_m, bool feetInTenths)
{
    if (!std::isfinite(d_m) || std::fabs(d_m) >= kLongestMeasurable_m)
        return Result<DistanceFigures>::failure(QStringLiteral(
            "The impact point lies at or beyond the horizon of this grid, so no distance can be "
            "measured there. Click the point where the skier first touches the water."));
    DistanceFigures f;
    f.precise = intPart(d_m * 10000 + 0.5) / 10000;
    f.meters = intPart(d_m * 10 + 0.5) / 10;
    f.feet = feetInTenths ? intPart(d_m / 0.03048 + 0.5) / 10 : intPart(d_m / 0.3048 + 0.5);
    f.metersValue = leadingSpace(f.meters);
    f.feetValue = leadingSpace(f.feet);
    f.metersText = f.metersValue + QLatin1Char('m');
    f.feetText = f.feetValue + QStringLiteral("ft");
    f.preciseMeters = leadingSpace(f.precise);
    return f;
}

JumpStatus statusForComment(const QString& comment)
{
    if (comment == jumptexts::Fall)
        return JumpStatus::Fall;
    if (comment == jumptexts::Pass)
        return JumpStatus::Pass;
    return JumpStatus::OK;
}

QString resultsLine(const JumpResult& jump)
{
    QString line = jump.date + QLatin1Char(' ') + jump.time + QLatin1Char(' ');
    line += jump.skier + QStringLiteral("  jump ") + jump.jumpNumber + QStringLiteral(" - ");
    line += jump.metersText + QStringLiteral("  (IWSF)");
    line += jump.feetText + QStringLiteral("  (AWSA)");
    if (jump.barefoot)
        line += QStringLiteral(" BAREFOOT ");
    if (jump.unofficial)
        line += QStringLiteral(" UNOFFICIAL JUMP - verify mode ");
    line += jump.comment;
    if (!jump.otherGrid) {
        line += QStringLiteral(" (") + finiteLeadingSpace(roundHalfUp(jump.surveyX_m, 3)) +
                QLatin1Char('/') + finiteLeadingSpace(roundHalfUp(jump.surveyY_m, 3)) +
                QLatin1Char(')');
        line += QStringLiteral(" (") + finiteLeadingSpace(intPart(jump.pictureX_twips)) +
                QLatin1Char('/') + finiteLeadingSpace(intPart(jump.pictureY_twips)) +
                QLatin1Char(')');
        line += QStringLiteral(" (") + jump.preciseMeters + QLatin1Char(')');
    }
    return line;
}

QString noteLine(const QString& date, const QString& time, const QString& comment)
{
    return date + QLatin1Char(' ') + time + QLatin1Char(' ') + comment;
}

QString wstimsStatusLine(const JumpResult& jump)
{
    switch (jump.status) {
    case JumpStatus::Fall:
        return QStringLiteral("Fall, 0, 0,") + jump.jumpNumber;
    case JumpStatus::Pass:
        return QStringLiteral("Pass, 0, 0,") + jump.jumpNumber;
    case JumpStatus::OK:
        break;
    }
    return QStringLiteral("OK, ") + jump.metersValue + QStringLiteral(", ") + jump.feetValue +
           QStringLiteral(", ") + jump.jumpNumber;
}

QString wstimsRawLine(const JumpResult& jump)
{
    const qsizetype comma = jump.skier.indexOf(QLatin1Char(','));
    const QString surname = comma < 0 ? jump.skier : jump.skier.left(comma);
    return jump.time + QStringLiteral(" ,") + surname + QLatin1Char(',') + wstimsStatusLine(jump);
}

QString nextJumpNumber(const QString& jumpNumber)
{
    return leadingSpace(entryNumber(jumpNumber) + 1);
}

Outcome checkJumpNumber(const QString& jumpNumber)
{
    const QString digits = jumpNumber.trimmed();
    bool whole = !digits.isEmpty();
    for (const QChar c : digits)
        whole = whole && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int value = whole ? digits.toInt() : 0;
    if (whole && value >= 1 && value <= 99)
        return Outcome::success();
    return Outcome::failure(QStringLiteral("The jump number must be a whole number from 1 to 99; "
                                           "\"%1\" is not. Correct the jump number and record "
                                           "the jump again. Nothing was recorded.")
                                .arg(jumpNumber));
}

bool otherGridEntriesAgree(double meters, double feet)
{
    // The bounds agree; a hair of tolerance keeps a bound typed exactly (40.2 m with 129.88816 ft)
    // from being refused by the binary rounding of 3.2808 x meters.
    constexpr double kTolerance_ft = 1e-9;
    const double expected = 3.2808 * meters;
    return !(feet > expected + 2.0 + kTolerance_ft || feet < expected - 2.0 - kTolerance_ft);
}

std::optional<QString> otherGridFigure(const QString& typed)
{
    QString text = typed.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const std::optional<double> value = parseNumber(text);
    if (!value || *value < 0)
        return std::nullopt;
    return text;
}

namespace {

// Asks for one figure until it is a number; none when the operator cancels.
std::optional<QString> askOtherGridFigure(Dialogs& dialogs, const QString& prompt,
                                          const QString& title, const QString& unit,
                                          const QString& example)
{
    for (;;) {
        const std::optional<QString> typed = dialogs.input(prompt, title);
        if (!typed)
            return std::nullopt;
        if (const std::optional<QString> figure = otherGridFigure(*typed))
            return figure;
        dialogs.message(QStringLiteral("The distance in %1 from the other screen must be a number, "
                                       "such as %2; \"%3\" is not. Please enter it again.")
                            .arg(unit, example, *typed),
                        title, DialogIcon::Exclamation);
    }
}

} // namespace

OtherGridEntry askOtherGridDistance(Dialogs& dialogs)
{
    const QString title = QStringLiteral("Other Grid Measurement");
    for (;;) {
        const DialogAnswer answer =
            dialogs.message(QStringLiteral("Is there a distance to be recorded in the other grid?"),
                            QStringLiteral("Message"), DialogIcon::None, DialogButtons::YesNo);
        OtherGridEntry entry;
        if (answer != DialogAnswer::Yes) {
            entry.kind = OtherGridEntry::Kind::NoDistance;
            return entry;
        }
        const std::optional<QString> meters = askOtherGridFigure(
            dialogs, QStringLiteral("Enter distance in meters from other screen"), title,
            QStringLiteral("meters"), QStringLiteral("40.5"));
        if (!meters)
            return entry; // abandoned
        const std::optional<QString> feet =
            askOtherGridFigure(dialogs, QStringLiteral("Enter distance in feet from other screen"),
                               title, QStringLiteral("feet"), QStringLiteral("133"));
        if (!feet)
            return entry;
        entry.metersValue = *meters;
        entry.feetValue = *feet + QLatin1Char(' ');
        entry.metersText = entry.metersValue + QLatin1Char('m');
        entry.feetText = entry.feetValue + QStringLiteral("ft");
        if (otherGridEntriesAgree(*parseNumber(*meters), *parseNumber(*feet))) {
            entry.kind = OtherGridEntry::Kind::Distance;
            return entry;
        }
        dialogs.message(QStringLiteral("The meter distance and the foot distance you entered did "
                                       "not match, please enter them again"));
    }
}

QString twipsReadout(double twips)
{
    return finiteLeadingSpace(std::isfinite(twips) ? intPart(twips) : twips);
}

QString surveyReadout(double meters)
{
    return std::isfinite(meters) ? leadingSpace(roundHalfUp(meters, 2)) : QString();
}

QString verifyDistanceReadout(double d_m)
{
    if (!std::isfinite(d_m))
        return QString();
    return leadingSpace(roundHalfUp(d_m, 1)) + QStringLiteral("m ") +
           leadingSpace(intPart(d_m * 3.28 + 0.5)) + QStringLiteral("ft");
}

QString uncertaintyReadout(std::optional<double> bound_m)
{
    if (!bound_m || !std::isfinite(*bound_m) || *bound_m < 0)
        return QString();
    return QStringLiteral("\u00B1 ") + QString::number(*bound_m, 'f', 2) + QStringLiteral(" m");
}

} // namespace fw
