# TarvenixPackage.cmake - the archives that CPack makes of the installed tree (scripts/package.sh):
#   Linux:   tarvenix-<version>-linux-<processor>.tar.gz, the tree under one folder of that name;
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
endif()
include(CPack)
