list(APPEND fw_ui_sources
    app/DemoStation.h app/DemoStation.cpp
)
