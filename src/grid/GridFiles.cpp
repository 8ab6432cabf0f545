#include "grid/GridFiles.h"

#include "measure/ResultsFile.h"

#include "grid/GridCompletion.h"
#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"
#include "support/FieldReader.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cmath>

namespace fw {

namespace {

const QString kLine1 = QStringLiteral("Initialization Points for file: ");

QString quotedWhenComma(const QString& text)
{
    return text.contains(QLatin1Char(',')) ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

QString numbersLine(std::initializer_list<double> values)
{
    QStringList parts;
    for (double v : values)
        parts << printForm(v);
    return parts.join(QLatin1Char(','));
}

QString readFault(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not read grid file %1: %2").arg(path, reason);
}

QString saveFault(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not save grid file %1: %2").arg(path, reason);
}

// The whole file as Latin-1 text, or the reason it could not be read.
Result<QString> fileText(const QString& path)
{
    if (QFileInfo(path).isDir())
        return Result<QString>::failure(QStringLiteral("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(file.errorString());
    return QString::fromLatin1(bytes);
}

// A file written whole into a temporary file beside it, put in place only by commit(): a reader
// never sees half a file, and a file whose bytes did not all reach the disk never replaces the
// old one.
class WholeFileWriter {
public:
    WholeFileWriter(const QString& path, const QStringList& lines) : m_file(path)
    {
        const QByteArray bytes = encodeLines(lines);
        m_file.setDirectWriteFallback(false);
        if (!m_file.open(QIODevice::WriteOnly)) {
            m_failure = m_file.errorString();
            return;
        }
        // The save file's own commit does not check the flush of its buffer: a full disk would
        // leave a short or empty file in place of the old one. Every byte is written and
        // flushed here, before anything is renamed.
        errno = 0;
        if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
            // The system's reason ("No space left on device"); the device's own text is often
            // only "Unknown error" after a failed flush.
            const QString system = qt_error_string(errno);
            m_failure = errno != 0 ? system : m_file.errorString();
            m_file.cancelWriting();
        }
    }
    ~WholeFileWriter()
    {
        if (!m_committed)
            m_file.cancelWriting();
    }
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // Why the file could not be written; none while all is well.
    const std::optional<QString>& failure() const { return m_failure; }
    // Renames the temporary file over the target.
    std::optional<QString> commit()
    {
        if (m_failure)
            return m_failure;
        m_committed = true;
        if (!m_file.commit())
            return m_file.errorString();
        return std::nullopt;
    }

private:
    QSaveFile m_file;
    std::optional<QString> m_failure;
    bool m_committed = false;
};

bool allFinite(const MeasurementGrid& g)
{
    bool ok = std::isfinite(g.jump.X) && std::isfinite(g.jump.Y) &&
              std::isfinite(g.checkBuoyPicture.x) && std::isfinite(g.checkBuoyPicture.y);
    for (int i = 0; i < kBuoyCount; ++i)
        ok = ok && std::isfinite(g.buoyPicture[i].x) && std::isfinite(g.buoyPicture[i].y) &&
             std::isfinite(g.buoySurvey[i].X) && std::isfinite(g.buoySurvey[i].Y);
    for (double c : g.c)
        ok = ok && std::isfinite(c);
    return ok;
}

// The setup files folder when it exists; otherwise the station's message and none.
std::optional<QString> setupFolder(const StationSettings& settings, Dialogs& dialogs)
{
    const QString folder = settings.SetupFilesFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        dialogs.message(gridtext::invalidPath, QString(), DialogIcon::Exclamation);
        return std::nullopt;
    }
    return folder;
}

QString absoluteIn(const QString& folder, const QString& chosen)
{
    if (QFileInfo(chosen).isAbsolute())
        return chosen;
    return QDir::toNativeSeparators(QDir(folder).absoluteFilePath(chosen));
}

// Asks until the answer is a whole grid number from 1 to the configured count; none on Cancel.
std::optional<int> askGridNumber(Dialogs& dialogs, const QString& prompt, int gridCount)
{
    for (;;) {
        const std::optional<QString> answer = dialogs.input(prompt, gridtext::gridNumberTitle);
        if (!answer)
            return std::nullopt;
        const double n = fieldNumber(*answer);
        if (n >= 1 && n <= gridCount && n == std::floor(n))
            return int(n);
    }
}

// "Save Grid 2" / "Load Grid 2" confirmed, or another grid number asked for.
std::optional<int> confirmGrid(Dialogs& dialogs, const QString& verb, const QString& caption,
                               const QString& prompt, int fallbackGrid, int gridCount)
{
    const DialogAnswer a = dialogs.message(verb + caption, gridtext::currentGridTitle,
                                           DialogIcon::None, DialogButtons::YesNo);
    if (a == DialogAnswer::Yes)
        return gridNumberFromCaption(caption).value_or(fallbackGrid);
    return askGridNumber(dialogs, prompt, gridCount);
}

void setGridFile(StationSettings& settings, SettingsStore& store, int grid, const QString& path)
{
    settings.GridFile[grid - 1] = path;
    store.write(StationSettings::gridFileKey(grid), path);
}

bool unusableText(const QString& text)
{
    return text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QLatin1Char('\n'));
}

// Puts a loaded grid into the working copy, the slot and the fields (as the load shows them).
void applyLoaded(const GridFileContents& loaded, int grid, GridEntries& entries, GridState& grids)
{
    MeasurementGrid g = loaded.grid;
    g.completed = false;
    grids.working = g;
    grids.slot(grid) = g;

    entries = loadedEntries(loaded, entries.grid_caption);
}

// Steps shared by both loads once the files are read: the field changes, the x orientation, the
// load record, the ratios, and the registration of a grid that came with its check buoy.
void finishLoad(const GridFileContents& loaded, int grid, bool atStartup, GridEntries& entries,
                GridState& grids, StationSettings& settings, SettingsStore& store,
                double pictureWidth_twips, Dialogs& dialogs, const Clock& clock,
                ResultsFile& results, GridFileResult& result)
{
    result.markedUnsaved = gridEntriesEdited(entries, grids, settings, store, atStartup);
    grids.xOrientation =
        xOrientationOf(fieldNumber(entries.ur_survey_x), fieldNumber(entries.ul_survey_x));
    result.recordWritten =
        results.append(settings.ResultsFilePath,
                       gridLoadRecord(entries, grid, loaded.grid, atStartup, clock.now()));
    result.zoomAdvice = grid_check(entries, pictureWidth_twips, grids, dialogs);
    if (loaded.grid.checkBuoyPicture.x <= 0)
        return;
    // A grid measures only when it proves itself, not because a check buoy file lies beside it.
    if (const std::optional<QString> reason = unprovedGridReason(loaded)) {
        result.refusal = *reason;
        grids.slot(grid).completed = false;
        grids.working.completed = false;
        grids.recomputeAllGridsReady(settings.GridCount);
        dialogs.message(unprovedGridMessage(result.path, *reason), QString(),
                        DialogIcon::Exclamation);
        return;
    }
    grids.slot(grid).completed = true;
    grids.working.completed = true;
    setGridFile(settings, store, grid, result.path);
    grids.recomputeAllGridsReady(settings.GridCount);
    result.usable = true;
}

} // namespace

std::optional<QString> unprovedGridReason(const GridFileContents& loaded)
{
    const MeasurementGrid& g = loaded.grid;
    if (!loaded.hasCheckBuoyFile || !(g.checkBuoyPicture.x > 0))
        return QStringLiteral("it has no check buoy");
    double worst_m = 0;
    for (int i = 0; i < kBuoyCount; ++i) {
        const std::optional<SurveyPoint> s = PictureToSurvey(g, g.buoyPicture[i]);
        if (!s)
            return QStringLiteral("its coefficients do not map its buoys onto the water");
        worst_m = std::max(worst_m, surveyDistance(*s, g.buoySurvey[i]));
    }
    if (!(worst_m <= kStoredGridTolerance_m))
        return QStringLiteral("its coefficients put a buoy %1 m from its survey position")
            .arg(numberText(roundHalfUp(worst_m, 3)));
    const GridEvaluation ev = evaluateGrid(loadedEntries(loaded, gridCaption(1)), 0);
    if (!ev.accepted())
        return ev.message;
    return std::nullopt;
}

QString unprovedGridMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("The grid in %1 cannot be used for measuring: %2.  It is loaded for "
                          "editing; complete it again before measuring with it.")
        .arg(QDir::toNativeSeparators(path), reason);
}

GridEntries loadedEntries(const GridFileContents& loaded, const QString& caption)
{
    GridEntries shown = entriesFromGrid(loaded.grid, 1);
    shown.grid_caption = caption;
    if (!loaded.hasCheckBuoyFile) {
        shown.check_picture_x = QString(kPictureUnset);
        shown.check_picture_y = QString(kPictureUnset);
        shown.check_survey_x.clear();
        shown.check_survey_y.clear();
    }
    return shown;
}

QString checkBuoyFilePath(const QString& gridFile)
{
    return gridFile + QStringLiteral(".cb");
}

QStringList gridFileLines(const MeasurementGrid& g, const QString& path, int gridNumber)
{
    QStringList lines;
    lines << quotedWhenComma(kLine1 + path) << quotedWhenComma(g.description2);
    for (int i = 0; i < kBuoyCount; ++i)
        lines << numbersLine(
            {g.buoyPicture[i].x, g.buoyPicture[i].y, g.buoySurvey[i].X, g.buoySurvey[i].Y});
    for (double c : g.c)
        lines << printForm(c);
    lines << printForm(g.jump.X) << printForm(g.jump.Y) << printForm(10) << printForm(2)
          << printForm(gridNumber);
    return lines;
}

QStringList checkBuoyFileLines(ScreenPoint picture, const QString& typedX, const QString& typedY)
{
    // The reader splits at commas and takes a leading double quote as a delimiter: a typed text
    // that would not come back as one field is written as the number it reads as.
    const auto typed = [](const QString& text) {
        if (text.contains(QLatin1Char(',')) || text.trimmed().startsWith(QLatin1Char('"')) ||
            text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
            return printForm(fieldNumber(text));
        return text;
    };
    return {printForm(picture.x), printForm(picture.y), typed(typedX), typed(typedY)};
}

Result<GridFileContents> readGridFiles(const QString& path)
{
    using R = Result<GridFileContents>;
    const Result<QString> text = fileText(path);
    if (!text)
        return R::failure(readFault(path, text.message()));

    GridFileContents out;
    MeasurementGrid& g = out.grid;
    g.description1 = path;
    FieldReader reader(*text);
    if (!reader.nextField())
        return R::failure(readFault(path, QStringLiteral("the file is empty")));
    const std::optional<QString> description = reader.nextField();
    if (!description)
        return R::failure(readFault(path, QStringLiteral("the file ends early (line 2)")));
    g.description2 = *description;

    double v[16 + 8 + 2 + 3];
    for (double& n : v) {
        const Result<double> r = reader.nextNumber();
        if (!r)
            return R::failure(readFault(path, r.message()));
        n = r.value();
    }
    for (int i = 0; i < kBuoyCount; ++i) {
        g.buoyPicture[i] = {v[4 * i], v[4 * i + 1]};
        g.buoySurvey[i] = {v[4 * i + 2], v[4 * i + 3]};
    }
    for (int k = 0; k < 8; ++k)
        g.c[k] = v[16 + k];
    g.jump = {v[24], v[25]};

    const QString cbPath = checkBuoyFilePath(path);
    if (!QFileInfo::exists(cbPath))
        return out;
    const Result<QString> cbText = fileText(cbPath);
    if (!cbText)
        return R::failure(readFault(cbPath, cbText.message()));
    FieldReader cb(*cbText);
    const Result<double> x = cb.nextNumber();
    if (!x)
        return R::failure(readFault(cbPath, x.message()));
    const Result<double> y = cb.nextNumber();
    if (!y)
        return R::failure(readFault(cbPath, y.message()));
    // The survey lines hold the fields as the operator typed them: read them as entries are read.
    const int surveyLine = cb.lineNumber();
    const std::optional<QString> sx = cb.nextField();
    const std::optional<QString> sy = cb.nextField();
    if (!sx || !sy)
        return R::failure(readFault(
            cbPath,
            QStringLiteral("the file ends early (line %1)").arg(surveyLine + (sx ? 1 : 0))));
    g.checkBuoyPicture = {x.value(), y.value()};
    g.checkBuoySurvey = {fieldNumber(*sx), fieldNumber(*sy)};
    out.hasCheckBuoyFile = true;
    return out;
}

QStringList gridLoadRecord(const GridEntries& e, int grid, const MeasurementGrid& loaded,
                           bool atStartup, const QDateTime& when)
{
    QStringList lines;
    lines << dateText(when) + QLatin1Char(' ') + timeText(when) +
                 QStringLiteral(" New Set-up now in place")
          << e.description << e.description_2 << QStringLiteral("Grid Number: ") + printForm(grid)
          << QStringLiteral(" ");
    lines << buoyRecordLines(e, QStringLiteral("Twips"));
    if (loaded.checkBuoyPicture.x > 0) {
        const QString surveyLabel = atStartup ? QStringLiteral("Check Buoy X,Y Survey: ")
                                              : QStringLiteral("Check Buoyt X,Y Survey: ");
        lines << QStringLiteral("Check Buoy X,Y Twips: ") + printForm(loaded.checkBuoyPicture.x) +
                     QStringLiteral("  ") + printForm(loaded.checkBuoyPicture.y)
              << surveyLabel + printForm(loaded.checkBuoySurvey.X) + QStringLiteral("  ") +
                     printForm(loaded.checkBuoySurvey.Y)
              << QStringLiteral(" ");
    } else {
        lines << QStringLiteral("No check buoy for this set up") << QStringLiteral(" ");
    }
    return lines;
}

GridFileResult SaveGrid(GridEntries& entries, GridState& grids, StationSettings& settings,
                        SettingsStore& store, Dialogs& dialogs)
{
    GridFileResult result;
    const std::optional<QString> folder = setupFolder(settings, dialogs);
    if (!folder)
        return result;

    FileDialogRequest request;
    request.folder = *folder;
    request.filter = gridtext::saveFilter;
    request.filterIndex = 3;
    const std::optional<QString> chosen = dialogs.saveFile(request);
    if (!chosen || chosen->isEmpty())
        return result;
    const QString path = absoluteIn(*folder, *chosen);
    if (path.contains(QLatin1Char('"'))) {
        dialogs.message(
            saveFault(path, QStringLiteral("a grid file name cannot contain a double quote")),
            QString(), DialogIcon::Critical);
        return result;
    }

    QString description;
    for (;;) {
        // The question starts from the line on the screen; Cancel gives an empty line, as it
        // always did.
        description = dialogs
                          .input(gridtext::descriptionPrompt, gridtext::descriptionTitle,
                                 description.isEmpty() ? entries.description_2 : description)
                          .value_or(QString());
        if (!unusableText(description))
            break;
        dialogs.message(gridtext::descriptionRefused);
    }

    const std::optional<int> grid = confirmGrid(
        dialogs, QStringLiteral("Save "), entries.grid_caption,
        QStringLiteral("What grid are you saving?"), grids.currentGrid, settings.GridCount);
    if (!grid)
        return result;

    // The grid as saved: the working copy's positions as the fields show them and its
    // coefficients, whether or not it has been completed.
    MeasurementGrid saved = gridFromEntries(entries, grids.working);
    saved.description1 = path;
    saved.description2 = description;
    if (!allFinite(saved)) {
        dialogs.message(
            saveFault(path, QStringLiteral("the grid holds a value that is not a number")),
            QString(), DialogIcon::Critical);
        return result;
    }

    // Both files are written in full before either replaces the old one, then renamed one after
    // the other: a save cut in between leaves at worst the new grid beside the old check buoy,
    // a pair that the load refuses because the check buoy no longer validates.
    const QString cbPath = checkBuoyFilePath(path);
    WholeFileWriter gridFile(path, gridFileLines(saved, path, *grid));
    if (const auto& reason = gridFile.failure()) {
        dialogs.message(saveFault(path, *reason), QString(), DialogIcon::Critical);
        return result;
    }
    WholeFileWriter cbFile(
        cbPath,
        checkBuoyFileLines(saved.checkBuoyPicture, entries.check_survey_x, entries.check_survey_y));
    if (const auto& reason = cbFile.failure()) {
        dialogs.message(saveFault(cbPath, *reason), QString(), DialogIcon::Critical);
        return result;
    }
    if (const auto reason = gridFile.commit()) {
        dialogs.message(saveFault(path, *reason), QString(), DialogIcon::Critical);
        return result;
    }
    if (const auto reason = cbFile.commit()) {
        // A check buoy file left from an earlier grid would not belong to the new grid file.
        QFile::remove(cbPath);
        dialogs.message(saveFault(cbPath, *reason), QString(), DialogIcon::Critical);
        return result;
    }

    setGridFile(settings, store, *grid, path);
    MeasurementGrid& slot = grids.slot(*grid);
    // The slot counts as set up only when what was saved is a grid that passed its checks and
    // was not changed since.
    const bool wasCompleted = slot.completed;
    slot = saved;
    slot.completed = wasCompleted && saved.completed;
    if (!slot.completed)
        grids.allGridsReady = false;
    grids.working.description1 = path;
    grids.working.description2 = description;
    entries.description = path;
    entries.description_2 = description;

    result.done = true;
    result.grid = *grid;
    result.path = path;
    result.description = description;
    return result;
}

GridFileResult LoadGrid(GridEntries& entries, GridState& grids, StationSettings& settings,
                        SettingsStore& store, double pictureWidth_twips, Dialogs& dialogs,
                        const Clock& clock, ResultsFile& results)
{
    GridFileResult result;
    const std::optional<int> grid = confirmGrid(
        dialogs, QStringLiteral("Load "), entries.grid_caption,
        QStringLiteral("What grid are you loading?"), grids.currentGrid, settings.GridCount);
    if (!grid)
        return result;
    const std::optional<QString> folder = setupFolder(settings, dialogs);
    if (!folder)
        return result;

    FileDialogRequest request;
    request.folder = *folder;
    request.filter = gridtext::loadFilter;
    request.filterIndex = 3;
    const std::optional<QString> chosen = dialogs.openFile(request);
    if (!chosen || chosen->isEmpty())
        return result;
    const QString path = absoluteIn(*folder, *chosen);

    const Result<GridFileContents> loaded = readGridFiles(path);
    if (!loaded) {
        dialogs.message(loaded.message(), QString(), DialogIcon::Critical);
        return result;
    }
    if (!loaded->hasCheckBuoyFile)
        dialogs.message(gridtext::noCheckBuoyFile, QString(), DialogIcon::Critical);

    // The working copy and the fields now hold the loaded grid: it becomes current and the
    // caption names it, so that the field changes mark that grid, not the one shown before.
    grids.currentGrid = *grid;
    entries.grid_caption = gridCaption(*grid);
    result.done = true;
    result.grid = *grid;
    result.path = path;
    result.description = loaded->grid.description2;
    applyLoaded(*loaded, *grid, entries, grids);
    finishLoad(*loaded, *grid, false, entries, grids, settings, store, pictureWidth_twips, dialogs,
               clock, results, result);
    return result;
}

GridFileResult LoadGridAtStartup(int grid, const QString& path, GridEntries& entries,
                                 GridState& grids, StationSettings& settings, SettingsStore& store,
                                 double pictureWidth_twips, Dialogs& dialogs, const Clock& clock,
                                 ResultsFile& results)
{
    GridFileResult result;
    if (grid < 1 || grid > 3)
        return result;
    const Result<GridFileContents> loaded = readGridFiles(path);
    if (!loaded) {
        dialogs.message(loaded.message(), QString(), DialogIcon::Critical);
        return result;
    }

    grids.currentGrid = grid;
    entries.grid_caption = gridCaption(grid);
    result.done = true;
    result.grid = grid;
    result.path = path;
    result.description = loaded->grid.description2;
    applyLoaded(*loaded, grid, entries, grids);
    if (!loaded->hasCheckBuoyFile) {
        dialogs.message(gridtext::noCheckBuoyAtStartup);
        return result;
    }
    finishLoad(*loaded, grid, true, entries, grids, settings, store, pictureWidth_twips, dialogs,
               clock, results, result);
    return result;
}

} // namespace fw
