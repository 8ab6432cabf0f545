list(APPEND fw_ui_sources
    screens/frmSetStart.h screens/frmSetStart.cpp
)
