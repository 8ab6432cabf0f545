# Makes the Debian package of the build in BUILD_DIR into PACKAGE_DIR for the package test
# (cmake -P). Without Debian's packaging tools there is nothing to make: the test says so.
file(REMOVE_RECURSE "${PACKAGE_DIR}")
find_program(DPKG_DEB dpkg-deb)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_DEB OR NOT DPKG_SHLIBDEPS)
    message("no package made: dpkg-deb and dpkg-shlibdeps (dpkg-dev) are needed")
    return()
endif()
execute_process(COMMAND "${CPACK}" -G DEB -B "${PACKAGE_DIR}"
    WORKING_DIRECTORY "${BUILD_DIR}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed (${status})")
endif()
