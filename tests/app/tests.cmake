fw_add_test(test_demo_start app/test_demo_start.cpp)
target_compile_definitions(test_demo_start PRIVATE FARWATER_EXE="$<TARGET_FILE:farwater>")
add_dependencies(test_demo_start farwater)

# The screenshot program walks a demo station through a whole jump at 1280x720 and fails when a
# screen does not come or the jump is not measured.
add_test(NAME screenshots COMMAND farwater-screenshots ${CMAKE_CURRENT_BINARY_DIR}/screens)
set_tests_properties(screenshots PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
