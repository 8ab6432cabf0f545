list(APPEND fw_ui_sources
    screens/CaptureScreen.h screens/CaptureScreen.cpp
    screens/CaptureScreenForm.h screens/CaptureScreenForm.cpp
)
