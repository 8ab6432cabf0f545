fw_add_bench(bench_measure LIBS fw_ui)
