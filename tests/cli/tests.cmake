fw_add_test(test_cli cli/test_cli.cpp media/MakeVideo.h media/MakeVideo.cpp
    LIBS fw_media PkgConfig::FFMPEG)
target_compile_definitions(test_cli PRIVATE FARWATER_CLI="$<TARGET_FILE:farwater-cli>")
add_dependencies(test_cli farwater-cli)
