list(APPEND fw_ui_sources
    screens/PreviewForm.h screens/PreviewForm.cpp
)
