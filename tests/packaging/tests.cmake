# The Debian package: made by cpack from this build (a fixture), then unpacked and checked.
set(package_dir ${CMAKE_CURRENT_BINARY_DIR}/package)
add_test(NAME package_deb
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPACKAGE_DIR=${package_dir}
            -DCPACK=${CMAKE_CPACK_COMMAND} -P ${PROJECT_SOURCE_DIR}/packaging/MakeTestPackage.cmake)
set_tests_properties(package_deb PROPERTIES FIXTURES_SETUP farwater_deb TIMEOUT 300)

# Loaded into the packaged station to answer its start-up questions (see StartupDriver.cpp).
add_library(farwater_startup_driver MODULE packaging/StartupDriver.cpp)
target_link_libraries(farwater_startup_driver PRIVATE Qt6::Widgets)
set_target_properties(farwater_startup_driver PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/driver-plugins/generic)

fw_add_test(test_package packaging/test_package.cpp LIBS Qt6::Gui)
target_compile_definitions(test_package PRIVATE
    PACKAGE_DIR="${package_dir}"
    DRIVER_PLUGIN_DIR="${CMAKE_CURRENT_BINARY_DIR}/driver-plugins"
    SCREENS_DIR="${PROJECT_SOURCE_DIR}/docs/screens")
add_dependencies(test_package farwater farwater-cli farwater_compressed_docs
    farwater_startup_driver)
set_tests_properties(test_package PROPERTIES FIXTURES_REQUIRED farwater_deb)
