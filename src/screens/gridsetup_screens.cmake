list(APPEND fw_ui_sources
    screens/Grid_Setup.h screens/Grid_Setup.cpp
    screens/Calibrate.h screens/Calibrate.cpp
)
