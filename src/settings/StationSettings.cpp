#include "settings/StationSettings.h"

#include "settings/SettingsStore.h"

#include <cmath>

namespace fw {

namespace {

QString oneOf(const QString& value, std::initializer_list<const char*> allowed,
              const char* fallback)
{
    for (const char* a : allowed) {
        if (value == QLatin1String(a))
            return value;
    }
    return QLatin1String(fallback);
}

} // namespace

QString withoutTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder.left(folder.size() - 1);
    return folder;
}

bool colorForName(const QString& name, Rgb& rgb)
{
    if (name == QLatin1String("white"))
        rgb = kWhite;
    else if (name == QLatin1String("black"))
        rgb = kBlack;
    else if (name == QLatin1String("yellow"))
        rgb = kYellow;
    else if (name == QLatin1String("red"))
        rgb = kRed;
    else
        return false;
    return true;
}

std::optional<double> storedCaptureTime(const SettingsStore& store)
{
    const double seconds = store.readDouble(QStringLiteral("captureTime"), 0);
    if (seconds > 0 && std::isfinite(seconds))
        return seconds;
    return std::nullopt;
}

QString StationSettings::gridFileKey(int grid)
{
    return QStringLiteral("grid%1File").arg(grid);
}

void StationSettings::loadFrom(const SettingsStore& store)
{
    VideoFolder =
        withoutTrailingSeparator(store.read(QStringLiteral("logpath"), QString()).trimmed());
    SessionLogFileName = store.read(QStringLiteral("logfile"), QString());
    BarefootTiming15s = store.readInt(QStringLiteral("barefoot"), 0) != 0 ? 1 : 0;
    CaptureDevice = store.readInt(QStringLiteral("device"), -1);
    Compression = store.readInt(QStringLiteral("compression"), -1);
    FrameRateText = store.read(QStringLiteral("framerate"), QStringLiteral("0"));
    FrameRate = store.readDouble(QStringLiteral("framerate"), 0);
    VideoResolution = store.readInt(QStringLiteral("VideoResolution"), -1);
    ColorFormat = store.readInt(QStringLiteral("ColorFormat"), -1);
    VideoInput = store.readInt(QStringLiteral("VideoInput"), -1);
    CaptureTime = storedCaptureTime(store).value_or(kDefaultCaptureSeconds);
    TournamentName = store.read(QStringLiteral("TournamentName"), QString());
    SetupFilesFolder = store.read(QStringLiteral("SetupFiles"), QString());
    const int grids = store.readInt(QStringLiteral("grids"), 0);
    GridCount = (grids >= 1 && grids <= 3) ? grids : 1;
    for (int g = 1; g <= 3; ++g)
        GridFile[g - 1] = store.read(gridFileKey(g), QString());
    RightToLeft = store.readBool(QStringLiteral("right2left"), false);
    LineOff = store.readBool(QStringLiteral("boxlineoff"), false);
    TournamentType = oneOf(store.read(QStringLiteral("tournamentType"), QString()),
                           {"normal", "barefoot", "sitski"}, "normal");
    WstimsOn = store.readInt(QStringLiteral("WSTIMS"), 0) != 0 ? 1 : 0;
    LoupeOn = store.readInt(QStringLiteral("Loupe"), 0) == 1 ? 1 : 0;
    BuoyMarker =
        oneOf(store.read(QStringLiteral("buoymarker"), QString()), {"circle", "cross"}, "circle");
    LabelColor = oneOf(store.read(QStringLiteral("labelcolor"), QString()),
                       {"white", "black", "yellow", "default"}, "default");
    ImpactColor = oneOf(store.read(QStringLiteral("impactcolor"), QString()),
                        {"white", "black", "yellow", "red"}, "white");
    PictureSavePolicy = oneOf(store.read(QStringLiteral("PictureSave"), QString()),
                              {"Save", "NoSave", "Ask"}, "Ask");
    VideoSavePolicy =
        oneOf(store.read(QStringLiteral("VideoSave"), QString()), {"Save", "NoSave", "Ask"}, "Ask");
    deriveValues();
}

void StationSettings::deriveValues()
{
    if (!colorForName(LabelColor, LabelColorRgb))
        LabelColorRgb = kWhite; // "default": per-control colours; white where one is needed
    if (!colorForName(ImpactColor, ImpactColorRgb))
        ImpactColorRgb = kWhite;
    BarefootOn = TournamentType == QLatin1String("barefoot");
    SitSkiOn = TournamentType == QLatin1String("sitski");
    DirectionText = RightToLeft ? QStringLiteral("right") : QStringLiteral("left");
    LineControlText = LineOff ? QStringLiteral("line_off") : QStringLiteral("line_on");
    WstimsText = WstimsOn ? QStringLiteral("WSTIMS ON") : QStringLiteral("WSTIMS OFF");
}

} // namespace fw

namespace fw {

Rgb measureLabelColor(const QString& labelColor, MeasureLabel label)
{
    Rgb rgb = kWhite;
    if (colorForName(labelColor, rgb) && labelColor != QLatin1String("red"))
        return rgb;
    // "default": each kind its own colour.
    switch (label) {
    case MeasureLabel::MandatoryReride:
        return kRed;
    case MeasureLabel::OptionalReride:
        return kYellow;
    case MeasureLabel::Outcome:
    case MeasureLabel::DistanceCaption:
        return kBlack;
    case MeasureLabel::OverPicture:
        break;
    }
    return kWhite;
}

} // namespace fw
