fw_add_test(test_frameselection screens/test_frameselection.cpp media/MakeVideo.h
    media/MakeVideo.cpp LIBS fw_ui PkgConfig::FFMPEG)
