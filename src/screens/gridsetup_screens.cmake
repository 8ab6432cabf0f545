list(APPEND fw_ui_sources
    screens/GridSetupScreen.h screens/GridSetupScreen.cpp screens/GridSetupScreenPicture.cpp
    screens/GridSetupScreenForm.h screens/GridSetupScreenForm.cpp
    screens/CalibrationWindow.h screens/CalibrationWindow.cpp
    screens/CalibrationWindowForm.h screens/CalibrationWindowForm.cpp
)
