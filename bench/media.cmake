fw_add_bench(bench_media LIBS fw_media)
# The benchmark makes its videos with the tests' helper.
target_sources(bench_media PRIVATE ${PROJECT_SOURCE_DIR}/tests/media/MakeVideo.cpp)
target_include_directories(bench_media PRIVATE ${PROJECT_SOURCE_DIR}/tests/media)
target_link_libraries(bench_media PRIVATE PkgConfig::FFMPEG)
