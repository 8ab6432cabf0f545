list(APPEND fw_ui_sources
    screens/FrameSelectionScreen.h screens/FrameSelectionScreen.cpp
    screens/FrameSelectionScreenForm.h screens/FrameSelectionScreenForm.cpp
    screens/FrameSelectionScreenPlayBack.cpp
)
