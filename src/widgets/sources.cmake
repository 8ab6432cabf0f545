list(APPEND fw_ui_sources
    widgets/ListWidth.h widgets/ListWidth.cpp
    widgets/MicroAdjustPanel.h widgets/MicroAdjustPanel.cpp
)
