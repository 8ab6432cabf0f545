fw_add_test(test_demo_start app/test_demo_start.cpp)
target_compile_definitions(test_demo_start PRIVATE FARWATER_EXE="$<TARGET_FILE:farwater>")
add_dependencies(test_demo_start farwater)
