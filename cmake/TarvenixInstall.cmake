# TarvenixInstall.cmake - where `cmake --install` (and so CPack) puts the host, the plug-in and
# the framework library they share.
#
# Linux: bin/tarvenix-host, then Tarvenix2.so and libTarvenixFramework.so together in a
# private folder, lib/tarvenix/: neither is a library for other programs to link, so neither
# belongs on the linker's path. Each binary finds the framework through an RPATH relative to
# its own place ($ORIGIN), so the installed tree works wherever it is moved as a whole.
# Windows: one flat folder, since Windows looks for a program's DLLs beside the program.
include(GNUInstallDirs)

if(WIN32)
    set(TARVENIX_INSTALL_BINDIR .)
    set(TARVENIX_INSTALL_PLUGINDIR .)
else()
    set(TARVENIX_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}")
    set(TARVENIX_INSTALL_PLUGINDIR "${CMAKE_INSTALL_LIBDIR}/tarvenix")
endif()

# The plug-in's folder as seen from the host's: the host looks there for its default
# plug-in, and the RPATH of the host points there. Empty when they share one folder.
cmake_path(ABSOLUTE_PATH TARVENIX_INSTALL_BINDIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
    OUTPUT_VARIABLE tarvenix_full_bindir)
cmake_path(ABSOLUTE_PATH TARVENIX_INSTALL_PLUGINDIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
    OUTPUT_VARIABLE tarvenix_full_plugindir)
file(RELATIVE_PATH TARVENIX_PLUGINDIR_FROM_BINDIR "${tarvenix_full_bindir}" "${tarvenix_full_plugindir}")

# tarvenix_install(target): a program into the programs' folder, a library or module into the
# plug-in's. A DLL's import library is for linking against, not for a player: it is left out.
function(tarvenix_install target)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(rpath "$ORIGIN/${TARVENIX_PLUGINDIR_FROM_BINDIR}")
    else()
        set(rpath "$ORIGIN")
    endif()
    if(NOT WIN32)
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
    endif()
    install(TARGETS ${target}
        RUNTIME DESTINATION "${TARVENIX_INSTALL_BINDIR}"
        LIBRARY DESTINATION "${TARVENIX_INSTALL_PLUGINDIR}"
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" EXCLUDE_FROM_ALL)
endfunction()
