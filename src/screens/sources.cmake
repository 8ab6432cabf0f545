list(APPEND fw_ui_sources
    screens/MainForm.h screens/MainForm.cpp
)
