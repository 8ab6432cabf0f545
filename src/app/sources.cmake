list(APPEND fw_ui_sources
    app/Station.h app/Station.cpp
    app/DemoStation.h app/DemoStation.cpp
)
