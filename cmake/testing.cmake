# GoogleTest from Debian's sources, and the registration of test programs with ctest.
#
# A Windows test program runs under Wine. Wine's exit code alone proves nothing (a 32-bit
# exe that cannot start may still exit 0), so a test passes only when GoogleTest's own
# summary line appears and no test reports a failure.
include(CTest)
if(NOT BUILD_TESTING)
  return()
endif()

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang|GNU")
  # GoogleTest's own sources are not held to our warning flags.
  target_compile_options(gtest PRIVATE -Wno-error)
  target_compile_options(gtest_main PRIVATE -Wno-error)
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(PELORIN_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  set(PELORIN_WINE_ENVIRONMENT
    "WINEPREFIX=${PELORIN_WINE_PREFIX}"
    "WINEARCH=win32"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=\\;winemenubuilder.exe=d"
    "TMPDIR=${CMAKE_BINARY_DIR}/tmp")
  # One Wine prefix and one persistent wineserver for the whole run, started before the
  # first test and stopped after the last. Without it the first test's wine call starts
  # background services that hold ctest's output pipe open, and ctest never finishes.
  add_test(NAME wine_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix start)
  add_test(NAME wine_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${PELORIN_WINE_ENVIRONMENT}")
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${PELORIN_WINE_ENVIRONMENT}")
endif()

# pelorin_add_gtest(TARGET [TIMEOUT seconds]): one ctest for the whole test program.
function(pelorin_add_gtest target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  target_link_libraries(${target} PRIVATE gtest gtest_main)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];Program Error;wine: could not load"
    TIMEOUT ${ARG_TIMEOUT})
  if(PELORIN_WINE_ENVIRONMENT)
    set_tests_properties(${target} PROPERTIES
      FIXTURES_REQUIRED wine
      ENVIRONMENT "${PELORIN_WINE_ENVIRONMENT}")
  endif()
endfunction()
