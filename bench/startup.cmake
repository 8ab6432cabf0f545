# Uses the test fixture (temporary store and folders, scripted dialogs).
if(TARGET fw_testsupport)
    fw_add_bench(bench_startup LIBS fw_ui fw_testsupport)
endif()
