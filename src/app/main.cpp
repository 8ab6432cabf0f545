#include "app/Station.h"
#include "media/MediaLibraries.h"
#include "platform/KeyboardState.h"
#include "platform/QtDialogs.h"
#include "platform/StationPaths.h"
#include "settings/SettingsStore.h"
#include "support/clock.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Farwater"));
    QApplication::setApplicationVersion(QStringLiteral(FARWATER_VERSION));
    // FFmpeg's own log lines mean nothing to an operator; failures reach the screens as messages.
    fw::quietMediaLibraries();

    fw::SettingsStore store;
    fw::QtDialogs dialogs;
    fw::SystemClock clock;
    fw::KeyboardState keyboard;
    app.installEventFilter(&keyboard);

    fw::Station station(store, dialogs, clock, keyboard, fw::StationPaths::forThisInstall());
    station.start();
    return app.exec();
}
