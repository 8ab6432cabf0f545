list(APPEND fw_media_sources
    media/CaptureEngine.h media/CaptureEngine.cpp
    media/CaptureSources.h media/CaptureSources.cpp
    media/DemoCamera.h media/DemoCamera.cpp
)
