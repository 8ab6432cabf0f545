list(APPEND fw_media_sources
    media/MediaLibraries.h media/MediaLibraries.cpp
)
