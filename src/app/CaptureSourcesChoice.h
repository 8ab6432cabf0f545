#pragma once

// Which cameras a station program offers: a station at a tournament offers the system's cameras
// only, so that a station without one says so instead of recording the demo course; a demo
// station offers the Demo Camera as well and selects it.

namespace fw {

class SettingsStore;
class Station;

void chooseCaptureSources(Station& station, SettingsStore& store, bool demo);

} // namespace fw
