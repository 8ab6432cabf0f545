# The operator's manual against the program's texts and screens, and the manual viewer.
fw_add_test(test_manual app/test_manual.cpp LIBS fw_ui)
target_compile_definitions(test_manual PRIVATE FARWATER_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
