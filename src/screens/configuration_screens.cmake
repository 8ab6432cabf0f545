list(APPEND fw_ui_sources
    screens/ConfigurationScreenForm.h screens/ConfigurationScreenForm.cpp
)
