list(APPEND fw_media_sources
    media/MediaLibraries.h media/MediaLibraries.cpp
    media/VideoDecoder.h media/VideoDecoder.cpp
    media/FrameGrab.h media/FrameGrab.cpp
    media/FramePlayerEngine.h media/FramePlayerEngine.cpp
)
