# Read by cpack. A Debian package installs into /usr, and the program must have been
# configured for the folder it is installed to (it keeps no settings there).
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR
        "A Debian package needs a build configured with -DCMAKE_INSTALL_PREFIX=/usr")
endif()
