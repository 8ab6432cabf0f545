#include "app/CaptureSourcesChoice.h"

#include "app/DemoStation.h"
#include "station/Station.h"
#include "media/CaptureEngine.h"

namespace fw {

void chooseCaptureSources(Station& station, SettingsStore& store, bool demo)
{
    station.captureEngine().setDemoCameraListed(demo);
    if (demo)
        selectDemoCamera(station, store);
}

} // namespace fw
