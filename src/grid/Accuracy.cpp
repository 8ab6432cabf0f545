#include "grid/Accuracy.h"

#include "settings/StationSettings.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>

#include <cmath>

namespace fw {

namespace {

ScreenPoint between(ScreenPoint a, ScreenPoint b, int part)
{
    return {a.x + (b.x - a.x) * part / 6.0, a.y + (b.y - a.y) * part / 6.0};
}

QString hundredths(double v)
{
    return leadingSpace(roundHalfUp(v, 2));
}

} // namespace

QString accuracyGrade(double delta)
{
    if (delta <= 0.1)
        return QStringLiteral("R");
    if (delta <= 0.15)
        return QStringLiteral("L");
    if (delta <= 0.2)
        return QStringLiteral("C");
    return QStringLiteral("NH");
}

AccuracyMesh accuracyMesh(ScreenPoint upperLeft, ScreenPoint upperRight, ScreenPoint lowerLeft,
                          ScreenPoint lowerRight)
{
    AccuracyMesh m{};
    for (int j = 0; j < kMeshSize; ++j) {
        m[0][j] = between(upperLeft, lowerLeft, j);
        m[6][j] = between(upperRight, lowerRight, j);
    }
    // The corners stay exactly the buoys' positions.
    m[0][0] = upperLeft;
    m[6][0] = upperRight;
    m[0][6] = lowerLeft;
    m[6][6] = lowerRight;
    for (int j = 0; j < kMeshSize; ++j) {
        for (int i = 1; i < 6; ++i)
            m[i][j] = between(m[0][j], m[6][j], i);
    }
    return m;
}

Result<AccuracyCheck> computeAccuracy(const GridEntries& e, const MeasurementGrid& working,
                                      Tournament tournament, AccuracyContent content)
{
    const auto at = [&e](BuoyIndex b) {
        return ScreenPoint{fieldNumber(e.pictureX(b)), fieldNumber(e.pictureY(b))};
    };
    const AccuracyMesh mesh = accuracyMesh(at(BuoyIndex::UpperLeft), at(BuoyIndex::UpperRight),
                                           at(BuoyIndex::LowerLeft), at(BuoyIndex::LowerRight));
    MeasurementGrid grid = working;
    grid.jump = {fieldNumber(e.jump_x), fieldNumber(e.jump_y)};

    AccuracyCheck check;
    for (int i = 0; i < kMeshSize; ++i) {
        for (int j = 0; j < kMeshSize; ++j) {
            const ScreenPoint p = mesh[i][j];
            const auto d = distance_calculation(grid, p, tournament);
            const auto dh = distance_calculation(grid, {p.x + 15.0, p.y}, tournament);
            const auto dv = distance_calculation(grid, {p.x, p.y + 15.0}, tournament);
            if (!d || !dh || !dv)
                return Result<AccuracyCheck>::failure(
                    QStringLiteral("Accuracy check not possible: the point %1, %2 of the picture "
                                   "lies beyond the horizon of the grid")
                        .arg(numberText(intPart(p.x)), numberText(intPart(p.y))));
            AccuracySample& s = check.samples[i][j];
            s.picture = p;
            s.below = dv->point;
            s.d = d->distance_m;
            s.dv = dv->distance_m;
            s.dh = dh->distance_m;
            const double changeV = std::fabs(s.dv - s.d);
            const double changeH = std::fabs(s.dh - s.d);
            s.delta = changeV > changeH ? changeV : changeH;
            s.grade = accuracyGrade(s.delta);
            switch (content) {
            case AccuracyContent::Grade:
                s.label = s.grade;
                break;
            case AccuracyContent::Distance:
                s.label = leadingSpace(std::floor(s.d * 10.0) / 10.0);
                break;
            case AccuracyContent::Detail:
                s.label = hundredths(s.delta);
                break;
            }
            s.labelAt = {p.x, p.y + 75.0};
            s.indicator = i * kMeshSize + j;
            check.meshLines << QStringLiteral("xpix: ") + leadingSpace(intPart(p.x)) +
                                   QStringLiteral("  ypix: ") + leadingSpace(intPart(p.y)) +
                                   QStringLiteral("  x: ") + hundredths(s.below.X) +
                                   QStringLiteral("  y: ") + hundredths(s.below.Y) +
                                   QStringLiteral("  distance: ") + hundredths(s.d) +
                                   QStringLiteral("  v inc: ") + hundredths(s.dv) +
                                   QStringLiteral("  h inc: ") + hundredths(s.dh) +
                                   QStringLiteral("  delta: ") + hundredths(s.delta);
        }
    }
    for (int j = 0; j < kMeshSize; ++j) {
        AccuracyRow& r = check.rows[j];
        r.right = mesh[6][j];
        r.left = mesh[0][j];
        r.labelAt = {r.right.x, r.right.y - 90.0};
        r.caption = QString::number(j + 1);
    }
    return check;
}

QString accuracyReportPath(const QString& videoFolder, const QDate& day)
{
    const QString name = QStringLiteral("acc%1%2.txt")
                             .arg(day.month(), 2, 10, QLatin1Char('0'))
                             .arg(day.day(), 2, 10, QLatin1Char('0'));
    return withoutTrailingSeparator(videoFolder) + QDir::separator() + name;
}

QStringList accuracyReportHeader(const GridEntries& e, int grid, GridRatios ratios,
                                 const QDateTime& when)
{
    QStringList lines;
    lines << dateText(when) + QStringLiteral("  ") + timeText(when) +
                 QStringLiteral(" Accuracy Check")
          << QStringLiteral("Grid Set-up for accuracy check") << e.description << e.description_2
          << QStringLiteral("Grid Number: ") + printForm(grid)
          << QStringLiteral("Grid Verdict: accepted") << QStringLiteral(" ")
          << QStringLiteral("Front Ratio: ") + leadingSpace(ratios.front)
          << QStringLiteral("Back Ratio: ") + leadingSpace(ratios.back);
    lines << gridPictureLines(e);
    lines << QStringLiteral("Check Buoy X,Y Survey: ") + e.check_survey_x + QStringLiteral("  ") +
                 e.check_survey_y
          << QStringLiteral(" ");
    return lines;
}

std::optional<AccuracyCheck> RunAccuracyCheck(const GridEntries& entries, const GridState& grids,
                                              const StationSettings& settings,
                                              double pictureWidth_twips, AccuracyContent content,
                                              Dialogs& dialogs, const Clock& clock)
{
    // The report goes with the homologation papers: it describes only a grid that passes its
    // completion checks, with that grid's own coefficients and ratios.
    const GridEvaluation ev = evaluateGrid(entries, pictureWidth_twips);
    if (!ev.accepted()) {
        dialogs.message(QStringLiteral("Accuracy check not possible: the grid on the screen does "
                                       "not pass its completion checks (") +
                            ev.message + QStringLiteral(")"),
                        QString(), DialogIcon::Exclamation);
        return std::nullopt;
    }
    MeasurementGrid grid = gridFromEntries(entries, grids.working);
    grid.c = *ev.c;
    Result<AccuracyCheck> check = computeAccuracy(entries, grid, Tournament::of(settings), content);
    if (!check) {
        dialogs.message(check.message(), QString(), DialogIcon::Exclamation);
        return std::nullopt;
    }
    const QDateTime now = clock.now();
    const int gridNumber = gridNumberFromCaption(entries.grid_caption).value_or(grids.currentGrid);
    AccuracyCheck out = std::move(check).value();
    out.reportPath = accuracyReportPath(settings.VideoFolder, now.date());
    QStringList lines = accuracyReportHeader(entries, gridNumber, ev.ratios, now);
    lines << out.meshLines << QStringLiteral("Accuracy Check Complete") << QString();
    if (!appendReported(dialogs, out.reportPath, lines))
        return std::nullopt;
    return out;
}

std::optional<int> skierPathRow(const QString& answer)
{
    const std::optional<double> n = parseNumber(answer);
    if (!n || *n < 1 || *n > kMeshSize || *n != std::floor(*n))
        return std::nullopt;
    return int(*n) - 1;
}

} // namespace fw
