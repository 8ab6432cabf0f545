list(APPEND fw_ui_sources
    widgets/PictureView.h widgets/PictureView.cpp
    widgets/Magnifier.h widgets/Magnifier.cpp
)
