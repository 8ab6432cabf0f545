list(APPEND fw_ui_sources
    widgets/FramePlayer.h widgets/FramePlayer.cpp
)
