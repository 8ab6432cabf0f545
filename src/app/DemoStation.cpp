#include "app/DemoStation.h"

#include "station/Station.h"
#include "grid/GridFiles.h"
#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "media/JumpCourse.h"
#include "platform/StationPaths.h"
#include "settings/SettingsStore.h"
#include "support/textfile.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace fw {

namespace {

const QString kLockName = QStringLiteral("demo.lock");

bool ownedByThisUser(const QFileInfo& entry)
{
#ifdef Q_OS_UNIX
    return entry.ownerId() == ::getuid();
#else
    return entry.exists(); // the temporary folder is the user's own there
#endif
}

} // namespace

DemoFolder::DemoFolder(const QString& parent)
    : m_dir(QDir(parent).filePath(namePrefix() + QStringLiteral("XXXXXX")))
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot create the demo folder in %1: %2")
                      .arg(QDir::toNativeSeparators(parent), m_dir.errorString());
        return;
    }
    m_lock = std::make_unique<QLockFile>(QDir(m_dir.path()).filePath(kLockName));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        m_error = QStringLiteral("cannot lock the demo folder %1")
                      .arg(QDir::toNativeSeparators(m_dir.path()));
}

DemoFolder::~DemoFolder()
{
    remove();
}

QString DemoFolder::settingsFile() const
{
    return QDir(path()).filePath(QStringLiteral("Farwater.ini"));
}

QString DemoFolder::stationFolder() const
{
    return QDir(path()).filePath(QStringLiteral("Station"));
}

QString DemoFolder::videoFolder() const
{
    return QDir(path()).filePath(QStringLiteral("Videos"));
}

QString DemoFolder::gridFile() const
{
    return QDir(path()).filePath(QStringLiteral("Setup/democourse.ipt"));
}

QString DemoFolder::seed(SettingsStore& store) const
{
    const QString setup = QFileInfo(gridFile()).path();
    for (const QString& folder : {videoFolder(), setup, stationFolder()})
        if (!StationPaths::ensureFolder(folder))
            return QStringLiteral("cannot create ") + QDir::toNativeSeparators(folder);

    if (const QString failure = writeDemoCourseGrid(gridFile(), pictureSize()); !failure.isEmpty())
        return failure;
    const QString names = QDir(stationFolder()).filePath(skierNamesFileName());
    const QStringList skiers = {QStringLiteral("Smith,John"), QStringLiteral("Doe,Jane"),
                                QStringLiteral("Garcia,Ana"), QStringLiteral("Berg,Lars")};
    if (const auto written = replaceFileLines(names, skiers); !written.ok())
        return QStringLiteral("cannot write %1: %2")
            .arg(QDir::toNativeSeparators(names), written.message());

    const std::pair<const char*, QString> settings[] = {
        {"logpath", videoFolder()},
        {"grid1File", gridFile()},
        {"SetupFiles", setup}, // so that a grid can be saved beside the demo course's
        {"VideoResolution", QStringLiteral("3")}, // 1280x720 on the Demo Camera
        {"framerate", QStringLiteral("30")},
        {"captureTime", QStringLiteral("5")},
        {"VideoSave", QStringLiteral("Save")},
    };
    for (const auto& [key, value] : settings)
        if (!store.write(QLatin1String(key), value))
            return QStringLiteral("cannot write the demo settings in ") +
                   QDir::toNativeSeparators(store.filePath());
    return {};
}

void DemoFolder::remove()
{
    if (!m_dir.isValid() || !m_lock)
        return;
    // Everything but the lock first: a folder that cannot be emptied stays locked by this
    // program, so the next demo removes it once this one has ended.
    const QDir dir(path());
    bool emptied = true;
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.fileName() == kLockName)
            continue;
        const bool gone = entry.isDir() && !entry.isSymLink()
                              ? QDir(entry.filePath()).removeRecursively()
                              : QFile::remove(entry.filePath());
        emptied = emptied && gone;
    }
    if (!emptied)
        return;
    m_lock->unlock();
    m_lock.reset();
    m_dir.remove();
}

int DemoFolder::sweepAbandoned(const QString& parent)
{
    int removed = 0;
    const QDir dir(parent);
    const QFileInfoList entries =
        dir.entryInfoList({namePrefix() + QLatin1Char('*')},
                          QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        // Only real folders of this user: never what a link points to, never another's.
        if (entry.isSymLink() || !ownedByThisUser(entry))
            continue;
        const QString folder = entry.filePath();
        const QString lockPath = QDir(folder).filePath(kLockName);
        // A folder without its lock is one being created this moment (or not ours): left alone.
        if (!QFileInfo::exists(lockPath))
            continue;
        QLockFile lock(lockPath);
        lock.setStaleLockTime(0); // only a lock whose program has ended counts as abandoned
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        if (QDir(folder).removeRecursively())
            ++removed;
    }
    return removed;
}

QString writeDemoCourseGrid(const QString& gridFile, QSize pictureSize)
{
    const JumpCourse course;
    MeasurementGrid grid = course.measurementGrid(pictureSize);
    grid.description2 = QStringLiteral("Demo course");
    const GridEntries entries = course.gridEntries(pictureSize);
    const std::pair<QString, QStringList> files[] = {
        {gridFile, gridFileLines(grid, gridFile, 1)},
        {checkBuoyFilePath(gridFile),
         checkBuoyFileLines(grid.checkBuoyPicture, entries.check_survey_x, entries.check_survey_y)},
    };
    for (const auto& [file, lines] : files)
        if (const auto written = replaceFileLines(file, lines); !written.ok())
            return QStringLiteral("cannot write %1: %2")
                .arg(QDir::toNativeSeparators(file), written.message());
    return {};
}

void selectDemoCamera(Station& station, SettingsStore& store)
{
    CaptureEngine& engine = station.captureEngine();
    engine.refreshDevices();
    for (int i = 0; i < engine.deviceCount(); ++i)
        if (engine.devices().at(i).name == CaptureEngine::demoCameraName())
            store.write(QStringLiteral("device"), QString::number(i));
}

} // namespace fw
