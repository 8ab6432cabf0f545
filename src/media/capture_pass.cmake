list(APPEND fw_media_sources
    media/CapturePass.h media/CapturePass.cpp
)
