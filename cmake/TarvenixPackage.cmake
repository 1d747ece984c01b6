# TarvenixPackage.cmake - the archives that CPack makes of the installed tree (scripts/package.sh):
#   Linux:   tarvenix-<version>-linux-<processor>.tar.gz, the tree and a README under one folder of that name;
#   Windows: Tarvenix2-<version>-win32.zip, the player's files under one folder of that name.
# Binaries are stripped on the way in; the version is the project's own.
set(CPACK_PACKAGE_NAME Tarvenix)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "The Distribute Group plug-in (Tarvenix2) and its host stand-in")
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Tarvenix2-${PROJECT_VERSION}-win32")
else()
    set(CPACK_GENERATOR TGZ)
    string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" tarvenix_platform)
    set(CPACK_PACKAGE_FILE_NAME "tarvenix-${PROJECT_VERSION}-${tarvenix_platform}")
    # What each file of the archive is and how to try it. Its own component, left out of a plain
    # `cmake --install`: a packager's install to /usr must not put a README.txt at the prefix's top.
    # The archive takes every component, in one tree under the archive's folder.
    configure_file("${CMAKE_CURRENT_LIST_DIR}/PlayerReadme-Linux.txt.in" "${CMAKE_BINARY_DIR}/README.txt" @ONLY)
    install(FILES "${CMAKE_BINARY_DIR}/README.txt" DESTINATION . COMPONENT PlayerReadme EXCLUDE_FROM_ALL)
    set(CPACK_COMPONENTS_ALL Unspecified PlayerReadme)
    set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
    set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
include(CPack)
