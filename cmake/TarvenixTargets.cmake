# TarvenixTargets.cmake - warnings for our own targets and the one way a test is added.

# Warnings for our own code only; third-party headers come in as SYSTEM. Whether they
# stop the build is the configuration's choice (CMAKE_COMPILE_WARNING_AS_ERROR): the
# development presets turn it on, a packager's plain configuration leaves it off.
function(tarvenix_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
        -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
endfunction()

# tarvenix_test_tool_missing(TARVENIX_BUILD_TESTS tests GoogleTest libgtest-dev) says, in one line,
# that a suite is left out for want of its framework, or stops when the configuration requires it.
function(tarvenix_test_tool_missing switch suite tool package)
    set(text "${tool} not found, so the ${suite} are not built (install ${package}, or set ${switch}=OFF)")
    if(TARVENIX_REQUIRE_TEST_TOOLS)
        message(FATAL_ERROR "${text}")
    endif()
    message(STATUS "${text}")
endfunction()

# tarvenix_add_test(CellTreeTest cells/CellTreeTest.cpp [LIBS lib...] [LABELS label...])
# makes one GoogleTest executable from sources under tests/ and registers each of its tests with CTest.
function(tarvenix_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    tarvenix_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# tarvenix_add_benchmark(CellTreeBench cells/CellTreeBench.cpp [LIBS lib...])
function(tarvenix_add_benchmark name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
    tarvenix_warnings(${name})
endfunction()
