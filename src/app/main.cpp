#include "app/CaptureSourcesChoice.h"
#include "app/DemoStation.h"
#include "station/Station.h"
#include "media/MediaLibraries.h"
#include "platform/KeyboardState.h"
#include "platform/QtDialogs.h"
#include "platform/StationPaths.h"
#include "settings/SettingsStore.h"
#include "support/clock.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

std::atomic<int> g_signals{0}; // lock-free on every platform the station runs on

void onEndSignal(int signal)
{
    // A second signal while the first is still being handled, or once the event loop has ended
    // and reads no more: the default action ends the program (the folder's lock is then stale,
    // and the next demo removes the folder).
    if (g_signals.fetch_add(1) > 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// Ends a demo station when it is asked to end (Ctrl+C, kill, a closed terminal) so that its folder
// is removed. From the station's own event loop the program leaves as from E&xit. A signal that
// comes while a question is open (a nested event loop) cannot leave cleanly: every later question
// would return at once, and a question asked until answered would never end: then the folder is
// removed and the program ends at once. A second signal ends the program by the signal's own
// action; the folder's lock is then stale and the next demo removes the folder.
class EndOnSignal {
public:
    explicit EndOnSignal(fw::DemoFolder& folder) : m_folder(folder)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { onSignal(); });
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int s : {SIGINT, SIGTERM, SIGHUP})
            sigaction(s, &action, nullptr);
    }

private:
    void onSignal()
    {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalPipe[0], &byte, 1);
        if (QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() != 1) {
            m_folder.remove();
            std::_Exit(0);
        }
        QCoreApplication::exit(0);
    }

    fw::DemoFolder& m_folder;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
#endif

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Farwater"));
    QApplication::setApplicationVersion(QStringLiteral(FARWATER_VERSION));
    // Desktops match the station's windows to its menu entry and icon by this name.
    QApplication::setDesktopFileName(QStringLiteral("farwater"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Farwater, the measuring station for water-ski jump tournaments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Start a demo station in a temporary folder of its own (its own settings, "
                       "video folder, grid 1 on the demo course, skier names, the Demo Camera); "
                       "the station's own settings and files are not touched."));
    parser.addOption(demo);
    parser.process(app);

    // FFmpeg's own log lines mean nothing to an operator; failures reach the screens as messages.
    fw::quietMediaLibraries();

    std::unique_ptr<fw::DemoFolder> demoFolder;
    std::unique_ptr<fw::SettingsStore> store;
    std::unique_ptr<fw::StationPaths> paths;
    if (parser.isSet(demo)) {
        fw::DemoFolder::sweepAbandoned(QDir::tempPath());
        demoFolder = std::make_unique<fw::DemoFolder>(QDir::tempPath());
        store = std::make_unique<fw::SettingsStore>(demoFolder->settingsFile());
        QString failure = demoFolder->error();
        if (failure.isEmpty())
            failure = demoFolder->seed(*store);
        if (!failure.isEmpty()) {
            std::fprintf(stderr, "farwater: %s\n", qPrintable(failure));
            return 1;
        }
        paths = std::make_unique<fw::StationPaths>(demoFolder->stationFolder());
        std::fprintf(stderr, "farwater: demo station in %s (removed at exit)\n",
                     qPrintable(QDir::toNativeSeparators(demoFolder->path())));
    } else {
        store = std::make_unique<fw::SettingsStore>();
        paths = std::make_unique<fw::StationPaths>(fw::StationPaths::forThisInstall());
    }
#ifdef Q_OS_UNIX
    std::unique_ptr<EndOnSignal> endOnSignal;
    if (demoFolder)
        endOnSignal = std::make_unique<EndOnSignal>(*demoFolder);
#endif

    fw::QtDialogs dialogs;
    fw::SystemClock clock;
    fw::KeyboardState keyboard;
    app.installEventFilter(&keyboard);

    fw::Station station(*store, dialogs, clock, keyboard, *paths);
    fw::chooseCaptureSources(station, *store, demoFolder != nullptr);
    station.start();
    return app.exec();
}
