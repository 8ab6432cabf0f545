#include "app/CaptureSourcesChoice.h"

#include "app/DemoStation.h"
#include "app/Station.h"

namespace fw {

void chooseCaptureSources(Station& station, SettingsStore& store, bool demo)
{
    if (demo)
        selectDemoCamera(station, store);
}

} // namespace fw
