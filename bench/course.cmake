fw_add_bench(bench_course LIBS fw_media)
