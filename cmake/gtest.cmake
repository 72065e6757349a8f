# GoogleTest for the Windows target, built from Debian's googletest sources.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# halvex_test(NAME SOURCES... [LIBS ...] [LABELS ...] [WINDOWS])
# One executable per group of related cases; ctest runs it under Wine through
# the rig's emulator wrapper. WINDOWS marks programs that need the X display.
function(halvex_test name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set(labels ${T_LABELS})
  if(T_WINDOWS)
    list(APPEND labels windows)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
    ENVIRONMENT "HALVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};HALVEX_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  halvex_rig_apart(${name} ${T_WINDOWS})
endfunction()

# A program that opens windows runs in a rig of its own (scripts/rig-apart.sh):
# its own X display, wineserver (desktop, foreground window, keyboard focus,
# named objects, registry) and network namespace (TCP ports). So windowed
# programs, and those that start the server, run side by side.
function(halvex_rig_apart name windows)
  if(windows)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "HALVEX_RIG_APART=${name}")
  endif()
endfunction()

# Tests against simulated controllers on virtual COM ports.
include(${CMAKE_CURRENT_LIST_DIR}/sim.cmake)
