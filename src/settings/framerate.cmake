list(APPEND fw_core_sources
    settings/FrameRateClass.h settings/FrameRateClass.cpp
)
