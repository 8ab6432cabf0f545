list(APPEND fw_ui_sources
    screens/MainScreen.h screens/MainScreen.cpp screens/MainScreenCapturePanel.cpp
    screens/MainScreenForm.h screens/MainScreenForm.cpp
)
