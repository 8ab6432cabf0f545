list(APPEND fw_core_sources
    review/AviHeader.h review/AviHeader.cpp
    review/CapturedVideo.h review/CapturedVideo.cpp
    review/FrameSelection.h review/FrameSelection.cpp
    review/RunPlayBack.h review/RunPlayBack.cpp
)
