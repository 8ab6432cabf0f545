#pragma once

namespace fw {

class Dialogs;
class SettingsStore;

// The Emergency Parameter Reset offered before anything else is read at start-up: two
// confirmations, then one question per key that the start-up acts on (video folder, barefoot
// timing, capture keys, grid files). Nothing is logged.
void EmergencyReset(SettingsStore& store, Dialogs& dialogs);

} // namespace fw
