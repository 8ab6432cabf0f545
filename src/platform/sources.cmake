list(APPEND fw_ui_sources
    platform/QtDialogs.h platform/QtDialogs.cpp
    platform/KeyboardState.h platform/KeyboardState.cpp
    platform/StationPaths.h platform/StationPaths.cpp
)
