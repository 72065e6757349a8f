# GoogleTest for the Windows target, built from Debian's googletest sources.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Test programs: one registration function for every kind of launcher.
include(${CMAKE_CURRENT_LIST_DIR}/halvex_test.cmake)

# The virtual COM ports' DTR shim for programs that talk to simulated controllers.
include(${CMAKE_CURRENT_LIST_DIR}/sim.cmake)
