# Read by cpack for each package it makes. Without dpkg-shlibdeps CPack would quietly make a
# package that declares none of the libraries it needs: refuse instead.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(FARWATER_SHLIBDEPS dpkg-shlibdeps)
    if(NOT FARWATER_SHLIBDEPS)
        message(FATAL_ERROR
            "dpkg-shlibdeps (Debian package dpkg-dev) is needed to find the package's "
            "dependencies; scripts/setup installs it")
    endif()
endif()
