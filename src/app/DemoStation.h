#pragma once

#include <QLockFile>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace fw {

class SettingsStore;
class Station;

// A demo station's own folder in the system's temporary folder: its settings file, video folder,
// grid 1 on the demo course, skier names and station folder. Nothing of a real station's is
// read or written. The folder is locked while its program runs and removed when it ends; a
// folder whose program was killed before it could remove it is swept by the next demo to start.
class DemoFolder {
public:
    // The demo capture: 1280x720 (the Demo Camera's fourth size) at 30 frames a second, where the
    // front buoys span more than the station's picture box, so no zoom advice.
    static QSize pictureSize() { return {1280, 720}; }
    static QString namePrefix() { return QStringLiteral("farwater-demo-"); }

    // Creates and locks the folder below `parent`. error() says what failed, if anything.
    explicit DemoFolder(const QString& parent);
    ~DemoFolder();
    DemoFolder(const DemoFolder&) = delete;
    DemoFolder& operator=(const DemoFolder&) = delete;

    QString error() const { return m_error; }
    QString path() const { return m_dir.path(); }
    QString settingsFile() const;
    QString stationFolder() const;
    QString videoFolder() const;
    QString gridFile() const;

    // Writes the demo station through the station's own writers: the folders, grid 1 set up on
    // the demo course at the demo capture size (buoys at the pixels an operator would click) with
    // its check buoy file, a few skier names and the capture settings. An empty text when all is
    // written, otherwise what failed.
    QString seed(SettingsStore& store) const;

    // Removes the folder now (also used when the program is asked to end by a signal).
    void remove();

    // Removes the demo folders below `parent` whose program is no longer running. Returns how
    // many were removed.
    static int sweepAbandoned(const QString& parent);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};

// Writes grid 1 of the demo course at a picture size as the station writes a grid: the grid file
// (described "Demo course", buoys at the pixels an operator would click) and its check buoy file.
// An empty text when both are written, otherwise what failed.
QString writeDemoCourseGrid(const QString& gridFile, QSize pictureSize);

// Selects the Demo Camera in the store, whatever cameras the system lists before it.
void selectDemoCamera(Station& station, SettingsStore& store);

} // namespace fw
