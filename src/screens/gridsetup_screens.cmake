list(APPEND fw_ui_sources
    screens/GridSetupScreen.h screens/GridSetupScreen.cpp
    screens/CalibrationWindow.h screens/CalibrationWindow.cpp
)
