list(APPEND fw_core_sources
    settings/SettingsStore.h settings/SettingsStore.cpp
    settings/StationSettings.h settings/StationSettings.cpp
    settings/EmergencyReset.h settings/EmergencyReset.cpp
)
