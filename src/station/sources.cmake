list(APPEND fw_ui_sources
    station/Station.h station/Station.cpp
)
