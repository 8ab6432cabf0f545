fw_add_test(test_review_avi review/test_avi.cpp media/MakeVideo.h media/MakeVideo.cpp
    LIBS fw_media PkgConfig::FFMPEG)
