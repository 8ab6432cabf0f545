// farwater-cli: the station's command-line companion, so that a technical controller can check
// figures away from the station.

#include "grid/Accuracy.h"
#include "grid/GridCompletion.h"
#include "grid/GridFiles.h"
#include "media/FrameGrab.h"
#include "media/MediaLibraries.h"
#include "review/AviHeader.h"
#include "support/textforms.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>
#include <QTextStream>

#include <charconv>
#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: farwater-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands (picture positions in twips, 15 to a pixel; survey positions in meters):\n"
    "  distance GRIDFILE X Y [--type normal|sitski|barefoot]\n"
    "      maps the picture point to the water with the grid (and its check buoy file) and\n"
    "      prints survey_x, survey_y, distance (meters, ramp offset included), uncertainty_m\n"
    "      (the bound of the distance's error from half a pixel of rounding in the click and\n"
    "      the four buoys) and the figures recording shows: meters (tenths) and feet (whole\n"
    "      feet, tenths for sitski and barefoot)\n"
    "  to-picture GRIDFILE X Y\n"
    "      maps the survey position to the picture: picture_x, picture_y\n"
    "  check GRIDFILE [--picture-width W]\n"
    "      solves the coefficients again from the buoys and runs the completion checks:\n"
    "      front_ratio, back_ratio, field_of_view, check_buoy_dx, check_buoy_dy and verdict\n"
    "      (accepted, or refused: and the station's message); W in twips, default 12000\n"
    "  accuracy GRIDFILE [--picture-width W] [--type normal|sitski|barefoot]\n"
    "      front_ratio and back_ratio, the accuracy report's 49 sample lines, then the grades\n"
    "      of the 7 mesh rows (row_1 at the back buoys) from left to right\n"
    "\n"
    "Video commands (frame N is the Nth frame from the file's start, the first is 0):\n"
    "  avi-info FILE\n"
    "      the video's information list, line for line as the frame selection screen shows it\n"
    "  grab FILE FRAME OUT.bmp\n"
    "      writes that frame as a 24-bit bitmap, as the station's frame grab does\n"
    "\n"
    "Grid output: one \"name: value\" line per figure; numbers unrounded in their shortest\n"
    "round-trip form unless the name says otherwise; \"none\" for a figure that cannot be\n"
    "computed.\n"
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program's version and the FFmpeg libraries it uses\n"
    "\n"
    "Exit status: 0 done, 1 the grid is refused or the point is not on the water, 2 bad arguments, "
    "an unreadable file or a frame\n"
    "that cannot be grabbed.\n";

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

// Shortest text that reads back as the same double.
QString roundTrip(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString roundTrip(const std::optional<double>& v)
{
    return v ? roundTrip(*v) : QStringLiteral("none");
}

struct Failure {
    int status;
    QString reason;
};

// The command's positional arguments and its --name value options.
struct Arguments {
    QStringList positional;
    QMap<QString, QString> options;
};

std::optional<Failure> splitArguments(const QStringList& args, const QStringList& allowed,
                                      Arguments& out)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            const QString name = a.mid(2);
            if (!allowed.contains(name))
                return Failure{kBadArguments, QStringLiteral("unknown option %1").arg(a)};
            if (i + 1 >= args.size())
                return Failure{kBadArguments, QStringLiteral("%1 needs a value").arg(a)};
            out.options.insert(name, args[++i]);
        } else {
            out.positional << a;
        }
    }
    return std::nullopt;
}

std::optional<Failure> number(const QString& text, const char* what, double& value)
{
    const std::optional<double> v = fw::parseNumber(text);
    if (!v)
        return Failure{kBadArguments,
                       QStringLiteral("%1 \"%2\" is not a number").arg(QLatin1String(what), text)};
    value = *v;
    return std::nullopt;
}

std::optional<Failure> tournamentOption(const Arguments& a, fw::Tournament& t)
{
    const QString name = a.options.value(QStringLiteral("type"), QStringLiteral("normal"));
    const auto named = fw::Tournament::named(name);
    if (!named)
        return Failure{
            kBadArguments,
            QStringLiteral("--type must be normal, sitski or barefoot, not \"%1\"").arg(name)};
    t = *named;
    return std::nullopt;
}

std::optional<Failure> widthOption(const Arguments& a, double& width)
{
    width = fw::kDefaultPictureWidth_twips;
    if (!a.options.contains(QStringLiteral("picture-width")))
        return std::nullopt;
    if (auto f = number(a.options.value(QStringLiteral("picture-width")), "picture width", width))
        return f;
    if (width <= 0)
        return Failure{kBadArguments, QStringLiteral("the picture width must be above 0")};
    return std::nullopt;
}

std::optional<Failure> readGrid(const QString& path, fw::GridFileContents& out)
{
    const auto loaded = fw::readGridFiles(path);
    if (!loaded)
        return Failure{kBadArguments, loaded.message()};
    out = *loaded;
    return std::nullopt;
}

// The grid as the station loads it: usable only with its check buoy, and only when it proves
// itself (its coefficients reproduce its buoys and the completion checks pass).
std::optional<Failure> readUsableGrid(const QString& path, fw::GridFileContents& out)
{
    if (auto f = readGrid(path, out))
        return f;
    if (!out.hasCheckBuoyFile)
        return Failure{kRefused, fw::gridtext::noCheckBuoyAtStartup};
    if (out.grid.checkBuoyPicture.x <= 0)
        return Failure{kRefused, QStringLiteral("No check buoy for this set up")};
    if (const auto reason = fw::unprovedGridReason(out))
        return Failure{kRefused, fw::unprovedGridMessage(path, *reason)};
    return std::nullopt;
}

std::optional<Failure> expectPositional(const Arguments& a, int count, const char* usage)
{
    if (a.positional.size() != count)
        return Failure{kBadArguments,
                       QStringLiteral("usage: farwater-cli %1").arg(QLatin1String(usage))};
    return std::nullopt;
}

std::optional<Failure> distanceCommand(const QStringList& args, QTextStream& out)
{
    Arguments a;
    if (auto f = splitArguments(args, {QStringLiteral("type")}, a))
        return f;
    if (auto f = expectPositional(a, 3, "distance GRIDFILE X Y [--type normal|sitski|barefoot]"))
        return f;
    fw::Tournament t;
    double x = 0, y = 0;
    if (auto f = tournamentOption(a, t))
        return f;
    if (auto f = number(a.positional[1], "X", x))
        return f;
    if (auto f = number(a.positional[2], "Y", y))
        return f;
    fw::GridFileContents grid;
    if (auto f = readUsableGrid(a.positional[0], grid))
        return f;
    const auto d = fw::distance_calculation(grid.grid, {x, y}, t);
    const auto uncertainty = fw::distanceUncertainty_m(grid.grid, {x, y}, t);
    if (!d || !uncertainty)
        return Failure{kRefused,
                       QStringLiteral("the picture point %1, %2 is not on the water: it lies on or "
                                      "beyond the horizon of the grid")
                           .arg(roundTrip(x), roundTrip(y))};
    out << "survey_x: " << roundTrip(d->point.X) << "\n"
        << "survey_y: " << roundTrip(d->point.Y) << "\n"
        << "distance: " << roundTrip(d->distance_m) << "\n"
        << "uncertainty_m: " << roundTrip(*uncertainty) << "\n"
        << "meters: " << roundTrip(fw::meterFigure(d->distance_m)) << "\n"
        << "feet: " << roundTrip(fw::feetFigure(d->distance_m, t)) << "\n";
    return std::nullopt;
}

std::optional<Failure> toPictureCommand(const QStringList& args, QTextStream& out)
{
    Arguments a;
    if (auto f = splitArguments(args, {}, a))
        return f;
    if (auto f = expectPositional(a, 3, "to-picture GRIDFILE X Y"))
        return f;
    double x = 0, y = 0;
    if (auto f = number(a.positional[1], "X", x))
        return f;
    if (auto f = number(a.positional[2], "Y", y))
        return f;
    fw::GridFileContents grid;
    if (auto f = readUsableGrid(a.positional[0], grid))
        return f;
    const auto p = fw::SurveyToPicture(grid.grid, {x, y});
    if (!p)
        return Failure{kRefused, QStringLiteral("the survey position %1, %2 does not map onto the "
                                                "picture: it lies behind the camera's horizon")
                                     .arg(roundTrip(x), roundTrip(y))};
    out << "picture_x: " << roundTrip(p->x) << "\n"
        << "picture_y: " << roundTrip(p->y) << "\n";
    return std::nullopt;
}

std::optional<Failure> checkCommand(const QStringList& args, QTextStream& out)
{
    Arguments a;
    if (auto f = splitArguments(args, {QStringLiteral("picture-width")}, a))
        return f;
    if (auto f = expectPositional(a, 1, "check GRIDFILE [--picture-width W]"))
        return f;
    double width = 0;
    if (auto f = widthOption(a, width))
        return f;
    fw::GridFileContents grid;
    if (auto f = readGrid(a.positional[0], grid))
        return f;
    const fw::GridEvaluation ev =
        fw::evaluateGrid(fw::loadedEntries(grid, fw::gridCaption(1)), width);
    out << "front_ratio: " << roundTrip(ev.ratios.front) << "\n"
        << "back_ratio: " << roundTrip(ev.ratios.back) << "\n"
        << "field_of_view: " << roundTrip(ev.fieldOfView) << "\n"
        << "check_buoy_dx: " << roundTrip(ev.checkBuoyDx) << "\n"
        << "check_buoy_dy: " << roundTrip(ev.checkBuoyDy) << "\n"
        << "verdict: "
        << (ev.accepted() ? QStringLiteral("accepted") : QStringLiteral("refused: ") + ev.message)
        << "\n";
    if (!ev.accepted())
        return Failure{kRefused, ev.message};
    return std::nullopt;
}

std::optional<Failure> accuracyCommand(const QStringList& args, QTextStream& out)
{
    Arguments a;
    if (auto f = splitArguments(args, {QStringLiteral("picture-width"), QStringLiteral("type")}, a))
        return f;
    if (auto f = expectPositional(
            a, 1, "accuracy GRIDFILE [--picture-width W] [--type normal|sitski|barefoot]"))
        return f;
    double width = 0;
    fw::Tournament t;
    if (auto f = widthOption(a, width))
        return f;
    if (auto f = tournamentOption(a, t))
        return f;
    fw::GridFileContents grid;
    if (auto f = readUsableGrid(a.positional[0], grid))
        return f;
    const fw::GridEntries entries = fw::loadedEntries(grid, fw::gridCaption(1));
    const auto check = fw::computeAccuracy(entries, grid.grid, t, fw::AccuracyContent::Grade);
    if (!check)
        return Failure{kRefused, check.message()};
    const fw::GridRatios ratios = fw::gridRatios(entries, width);
    out << "front_ratio: " << roundTrip(ratios.front) << "\n"
        << "back_ratio: " << roundTrip(ratios.back) << "\n";
    for (const QString& line : check->meshLines)
        out << line << "\n";
    for (int j = 0; j < fw::kMeshSize; ++j) {
        QStringList grades;
        for (int i = 0; i < fw::kMeshSize; ++i)
            grades << check->samples[i][j].grade;
        out << "row_" << (j + 1) << ": " << grades.join(QLatin1Char(' ')) << "\n";
    }
    return std::nullopt;
}

// The station's messages hold line breaks; the command line gives one line.
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

std::optional<Failure> aviInfoCommand(const QStringList& args, QTextStream& out)
{
    Arguments a;
    if (auto f = splitArguments(args, {}, a))
        return f;
    if (auto f = expectPositional(a, 1, "avi-info FILE"))
        return f;
    const fw::Result<fw::AviHeader> header = fw::readAviHeader(a.positional[0]);
    if (!header)
        return Failure{kBadArguments, oneLine(header.message())};
    for (const QString& line : fw::aviInformationLines(a.positional[0], header->summary))
        out << line << "\n";
    return std::nullopt;
}

std::optional<Failure> grabCommand(const QStringList& args)
{
    Arguments a;
    if (auto f = splitArguments(args, {}, a))
        return f;
    if (auto f = expectPositional(a, 3, "grab FILE FRAME OUT.bmp"))
        return f;
    bool ok = false;
    const int frame = a.positional[1].toInt(&ok);
    if (!ok || frame < 0)
        return Failure{
            kBadArguments,
            QStringLiteral("FRAME \"%1\" is not a frame number (0 or more)").arg(a.positional[1])};
    if (const auto failure = fw::grabFrame(a.positional[0], frame, a.positional[2])) {
        QString reason = oneLine(failure->message);
        if (!failure->reason.isEmpty() && !reason.contains(failure->reason))
            reason += QStringLiteral(" (") + failure->reason + QLatin1Char(')');
        return Failure{kBadArguments, reason};
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    fw::quietMediaLibraries();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);

    if (args.isEmpty()) {
        err << kUsage;
        return kBadArguments;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return kDone;
    }
    if (command == QLatin1String("--version")) {
        out << "farwater-cli " << FARWATER_VERSION << "\n" << fw::mediaLibraryVersions() << "\n";
        return kDone;
    }

    std::optional<Failure> failure;
    if (command == QLatin1String("distance"))
        failure = distanceCommand(args, out);
    else if (command == QLatin1String("to-picture"))
        failure = toPictureCommand(args, out);
    else if (command == QLatin1String("check"))
        failure = checkCommand(args, out);
    else if (command == QLatin1String("accuracy"))
        failure = accuracyCommand(args, out);
    else if (command == QLatin1String("avi-info"))
        failure = aviInfoCommand(args, out);
    else if (command == QLatin1String("grab"))
        failure = grabCommand(args);
    else
        failure =
            Failure{kBadArguments,
                    QStringLiteral("unknown command %1 (see farwater-cli --help)").arg(command)};
    out.flush();
    if (!failure)
        return kDone;
    if (!failure->reason.isEmpty())
        err << "farwater-cli: " << failure->reason << "\n";
    return failure->status;
}
