list(APPEND fw_core_sources
    review/AviHeader.h review/AviHeader.cpp
    review/FrameSelection.h review/FrameSelection.cpp
)
