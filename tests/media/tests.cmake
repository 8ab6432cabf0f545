fw_add_test(test_media_player media/test_player.cpp media/MakeVideo.h media/MakeVideo.cpp
    LIBS fw_ui PkgConfig::FFMPEG)
