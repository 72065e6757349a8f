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
  halvex_hold_desktop(${name} ${T_WINDOWS})
endfunction()

# Windowed programs share the rig's one Wine desktop, and with it the
# foreground window and the keyboard focus: one that shows a window while
# another checks where the focus went makes that check fail. They take turns.
function(halvex_hold_desktop name windows)
  if(windows)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK desktop)
  endif()
endfunction()

# Tests against simulated controllers on virtual COM ports.
include(${CMAKE_CURRENT_LIST_DIR}/sim.cmake)
