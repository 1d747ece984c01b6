# WindowsCrossBuild.cmake - what the cross-built Windows target needs beyond the toolchain file:
# one output folder with the C++ runtime DLLs, a Wine runner for CTest, and GoogleTest from source.
#
# Every .exe and .dll lands in bin/ beside libstdc++-6.dll, libgcc_s_dw2-1.dll and
# libwinpthread-1.dll, because Windows looks for a program's DLLs in its own folder
# first; so the folder runs under Wine as it is, with no PATH to set.

set(TARVENIX_WINDOWS_BIN "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${TARVENIX_WINDOWS_BIN}")
# Windows names a DLL after what it holds: TarvenixFramework.dll, Tarvenix2.dll.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")

# The shared C++ runtime that every module of ours links (see toolchain-mingw-i686.cmake):
# copied into bin/, and installed beside the host and the plug-in. Debian ships these DLLs
# with their debug sections (libstdc++-6.dll is 21 MB so), which a stripping install drops.
set(TARVENIX_MINGW_RUNTIME libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
function(tarvenix_copy_mingw_runtime)
    foreach(dll IN LISTS TARVENIX_MINGW_RUNTIME)
        execute_process(
            COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
            OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "the MinGW runtime ${dll} was not found; run scripts/install-windows-toolchain.sh")
        endif()
        file(COPY "${path}" DESTINATION "${TARVENIX_WINDOWS_BIN}")
        install(PROGRAMS "${TARVENIX_WINDOWS_BIN}/${dll}" DESTINATION "${TARVENIX_INSTALL_BINDIR}")
        install(CODE "
            if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${CMAKE_STRIP}\"
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TARVENIX_INSTALL_BINDIR}/${dll}\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endif()")
    endforeach()
endfunction()
tarvenix_copy_mingw_runtime()

# What each file of the Windows package is and how to try it, for the player.
configure_file("${CMAKE_CURRENT_LIST_DIR}/PlayerReadme-Windows.txt.in" "${CMAKE_BINARY_DIR}/README.txt" @ONLY
    NEWLINE_STYLE CRLF)
install(FILES "${CMAKE_BINARY_DIR}/README.txt" DESTINATION "${TARVENIX_INSTALL_BINDIR}")

# CTest runs every cross-built program through this wrapper: Wine in a prefix of this build.
# Tests are listed when CTest runs rather than after each link, so that building needs
# neither Wine nor a display.
set(TARVENIX_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
configure_file("${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in" "${CMAKE_BINARY_DIR}/wine-run" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Header-only packages from Debian serve every target, but their CMake files point at
# /usr/include, which must not reach a cross compiler (glibc's headers would shadow
# MinGW's). Each is mirrored into the build under a prefix that holds only its own
# headers, and find_package is sent there.
function(tarvenix_cross_header_only_package package include_subdir)
    set(mirror "${CMAKE_BINARY_DIR}/header-only")
    file(MAKE_DIRECTORY "${mirror}/include" "${mirror}/share/cmake")
    file(CREATE_LINK "/usr/include/${include_subdir}" "${mirror}/include/${include_subdir}" SYMBOLIC)
    file(CREATE_LINK "/usr/share/cmake/${package}" "${mirror}/share/cmake/${package}" SYMBOLIC)
    set(${package}_DIR "${mirror}/share/cmake/${package}" CACHE PATH "${package} for the cross build" FORCE)
endfunction()
tarvenix_cross_header_only_package(nlohmann_json nlohmann)
tarvenix_cross_header_only_package(CLI11 CLI)

# GoogleTest for the target, built from Debian's sources (package googletest): no
# prebuilt Windows GoogleTest exists there, and nothing is downloaded. Only what a
# test links is built. The names, and GTest_FOUND, match those of find_package(GTest).
macro(tarvenix_googletest_from_source)
    set(TARVENIX_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources for the cross build")
    if(EXISTS "${TARVENIX_GOOGLETEST_SOURCE}/CMakeLists.txt")
        tarvenix_add_googletest_sources()
        set(GTest_FOUND TRUE)
    else()
        set(GTest_FOUND FALSE)
    endif()
endmacro()

macro(tarvenix_add_googletest_sources)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory("${TARVENIX_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    foreach(lib gtest gtest_main gmock gmock_main)
        if(TARGET ${lib} AND NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
            # Its warnings are its maintainers' business, not a reason to stop our build.
            set_target_properties(${lib} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
        endif()
    endforeach()
endmacro()

# The plug-in's Windows resources and export table, for the real Tarvenix2.dll and for
# any stand-in built to check them: string tables, dialog 129 and the version record
# compiled by windres, and the .def that fixes the twelve export names and ordinals.
# Each .rc goes through a .res so that control class names keep their written case
# (windres-class-case.pl); the resource compiler reads resource.h, Version.h and the
# shared dialog, so a change in any of them rebuilds both languages.
function(tarvenix_add_plugin_windows_resources target)
    set(plugin "${PROJECT_SOURCE_DIR}/plugin")
    set(shared "${plugin}/resource.h" "${plugin}/Version.h" "${plugin}/SendingDialog.rc2")
    foreach(language En Ru)
        set(rc "${plugin}/Tarvenix2_${language}.rc")
        set(res "${CMAKE_CURRENT_BINARY_DIR}/${target}_${language}.res")
        set(object "${res}.obj")
        add_custom_command(OUTPUT "${object}"
            COMMAND "${CMAKE_RC_COMPILER}" "-I${PROJECT_SOURCE_DIR}" -O res "${rc}" "${res}"
            COMMAND perl "${PROJECT_SOURCE_DIR}/cmake/windres-class-case.pl" "${res}"
            COMMAND "${CMAKE_RC_COMPILER}" -J res -O coff "${res}" "${object}"
            DEPENDS "${rc}" ${shared} "${PROJECT_SOURCE_DIR}/cmake/windres-class-case.pl"
            COMMENT "Compiling the ${language} resources of ${target}"
            VERBATIM)
        target_sources(${target} PRIVATE "${object}")
    endforeach()
    target_sources(${target} PRIVATE "${plugin}/Tarvenix2.def")
endfunction()
