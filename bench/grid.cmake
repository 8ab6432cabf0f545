fw_add_bench(bench_grid LIBS fw_core)
