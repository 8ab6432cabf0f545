list(APPEND fw_ui_sources
    app/CaptureSourcesChoice.h app/CaptureSourcesChoice.cpp
)
