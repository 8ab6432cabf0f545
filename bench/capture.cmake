fw_add_bench(bench_capture LIBS fw_media)
# The benchmark hands the demo camera's pictures to ffmpeg itself.
target_link_libraries(bench_capture PRIVATE PkgConfig::FFMPEG)
