# GoogleTest from Debian's source package, compiled by each build so that it
# matches the compiler, the target and the sanitizers in use.
set(VORLANE_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${VORLANE_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest"
                 EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
