# GoogleTest from Debian's source package, compiled by each build so that it
# matches the compiler, the target and the sanitizers in use.
set(VORLANE_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${VORLANE_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest"
                 EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
# Tests spend their time waiting on the programs they drive, not running
# their own code: unoptimised, they and GoogleTest build in half the time.
# What they test is built with the flags it ships with.
target_compile_options(gtest PRIVATE -O0)
target_compile_options(gtest_main PRIVATE -O0)

# Every test file parses GoogleTest and, for Windows, windows.h: one header
# compiled once per build serves them all, which is most of their build time.
file(WRITE "${CMAKE_BINARY_DIR}/vorlane_test_headers.cpp" "")
add_library(vorlane_test_headers OBJECT "${CMAKE_BINARY_DIR}/vorlane_test_headers.cpp")
target_link_libraries(vorlane_test_headers PRIVATE GTest::gtest)
set(vorlane_test_header_list
  <gtest/gtest.h> <algorithm> <chrono> <functional> <memory> <optional>
  <string> <string_view> <vector>)
if(WIN32)
  list(APPEND vorlane_test_header_list <windows.h>)
endif()
target_precompile_headers(vorlane_test_headers PRIVATE ${vorlane_test_header_list})
vorlane_warnings(vorlane_test_headers)
target_compile_options(vorlane_test_headers PRIVATE -O0)

function(vorlane_test_headers target)
  target_precompile_headers(${target} REUSE_FROM vorlane_test_headers)
  target_compile_options(${target} PRIVATE -O0)
endfunction()
