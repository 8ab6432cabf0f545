#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace fw {

class SettingsStore;

// Colours are 24-bit values 0x00BBGGRR (red in the low byte).
using Rgb = std::uint32_t;
constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kYellow = 0x00FFFF;
constexpr Rgb kRed = 0x0000FF;
constexpr Rgb kMagenta = 0xFF00FF;

// The in-memory copy of every persistent setting, with the values derived from them that the
// screens consult, and the per-run paths set on the configuration screen.
struct StationSettings {
    // Persistent, one per key.
    QString VideoFolder;             // logpath; never ends in a separator in memory
    QString SessionLogFileName;      // logfile
    int BarefootTiming15s = 0;       // barefoot (0/1)
    int CaptureDevice = -1;          // device
    int Compression = -1;            // compression
    double FrameRate = 0;            // framerate
    QString FrameRateText;           // framerate, as typed
    int VideoResolution = -1;        // VideoResolution
    int ColorFormat = -1;            // ColorFormat
    int VideoInput = -1;             // VideoInput
    double CaptureTime = 0;          // captureTime
    QString TournamentName;          // TournamentName
    QString SetupFilesFolder;        // SetupFiles
    int GridCount = 1;               // grids, 1..3
    std::array<QString, 3> GridFile; // grid1File..grid3File
    bool RightToLeft = false;        // right2left
    bool LineOff = false;            // boxlineoff
    QString TournamentType = QStringLiteral("normal"); // tournamentType
    int WstimsOn = 0;                                  // WSTIMS
    int LoupeOn = 0;                                   // Loupe: on only when stored as 1
    QString BuoyMarker = QStringLiteral("circle");     // buoymarker
    QString LabelColor = QStringLiteral("default");    // labelcolor
    QString ImpactColor = QStringLiteral("white");     // impactcolor
    QString PictureSavePolicy = QStringLiteral("Ask"); // PictureSave
    QString VideoSavePolicy = QStringLiteral("Ask");   // VideoSave

    // Derived; set on the configuration screen.
    Rgb LabelColorRgb = kWhite;
    Rgb ImpactColorRgb = kWhite;
    bool BarefootOn = false;
    bool SitSkiOn = false;
    QString DirectionText = QStringLiteral("left");      // "left" / "right"
    QString LineControlText = QStringLiteral("line_on"); // "line_on" / "line_off"
    QString WstimsText = QStringLiteral("WSTIMS OFF");   // "WSTIMS ON" / "WSTIMS OFF"

    // Per run, not persisted.
    QString ResultsFilePath;
    QString PicturesFolder;
    QString SkierNamesFile;

    // Reads every key as the station acts on it, a value that does not parse counting as
    // absent, and sets the derived values. Writes nothing: the screens write a key back where
    // they put an effective value in its place.
    void loadFrom(const SettingsStore& store);

    // Recomputes the derived values from the persistent fields.
    void deriveValues();

    // The grid file setting key for grid 1..3: "grid1File".
    static QString gridFileKey(int grid);
};

// A recording's length when none is stored.
constexpr double kDefaultCaptureSeconds = 5;

// The stored capture time, when it is a positive number of seconds.
std::optional<double> storedCaptureTime(const SettingsStore& store);

// Folder text without one trailing separator ("\" or "/").
QString withoutTrailingSeparator(const QString& folder);

// The named colours of the configuration screen; unknown names give none.
bool colorForName(const QString& name, Rgb& rgb);

// The kinds of the measurement screen's sixteen labelled controls, by the colour each kind has
// under the "default" label colour.
enum class MeasureLabel {
    MandatoryReride, // red
    OptionalReride,  // yellow
    Outcome,         // the other outcome options: black
    DistanceCaption, // the IWSF and AWSA captions: black
    OverPicture,     // the signs and panels over the picture and the buoy distance labels: white
};

// The text colour of a labelled control of the measurement screen under a label colour
// setting: white, black and yellow colour them all; "default" gives each kind its own.
Rgb measureLabelColor(const QString& labelColor, MeasureLabel label);

} // namespace fw
