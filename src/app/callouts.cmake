list(APPEND fw_ui_sources
    app/Callouts.h app/Callouts.cpp
)
