fw_add_test(test_cli cli/test_cli.cpp LIBS fw_core)
target_compile_definitions(test_cli PRIVATE FARWATER_CLI="$<TARGET_FILE:farwater-cli>")
add_dependencies(test_cli farwater-cli)
