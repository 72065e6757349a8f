# halvex_test(name SOURCES a.cpp ... [LIBS ...] [INCLUDES ...] [NEEDS target ...]
#             [SIM [PORTS n] [SIM_ARGS ...]] [TDS] [LAUNCHER cmd ...] [ARGS ...]
#             [TIMEOUT s] [LABELS ...] [ENV "K=V" ...] [LOCKS ...] [WINDOWS])
# One GoogleTest program per group of related cases, linked with the test
# support library and registered with ctest under Wine. Its launchers nest
# from the outside in:
#   TDS       a fresh reporting-database stand-in (tests/tds/with-tds.sh);
#   SIM       n virtual COM ports (default 1) and the controller simulator
#             started with SIM_ARGS (tests/sim/with-sim.sh);
#   LAUNCHER  any other wrapper, given the program's path last.
# A program without launcher runs through the rig's emulator wrapper.
# NEEDS names programs the test starts (built first); LOCKS are ctest
# resource locks (one server per machine, fixed reply ports) for programs that
# share the rig; WINDOWS marks programs that open windows: each runs in a rig
# of its own, beside the others.
function(halvex_test name)
  cmake_parse_arguments(T "WINDOWS;SIM;TDS" "TIMEOUT;PORTS"
    "SOURCES;LIBS;INCLUDES;NEEDS;SIM_ARGS;LAUNCHER;ARGS;LABELS;ENV;LOCKS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${T_INCLUDES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support GTest::gtest GTest::gtest_main)
  if(T_NEEDS)
    add_dependencies(${name} ${T_NEEDS})
  endif()

  set(command)
  set(labels)
  if(T_TDS)
    target_link_libraries(${name} PRIVATE tds_control)
    add_dependencies(${name} halvex_tds_shim)
    list(APPEND command bash ${HALVEX_TDS_DIR}/with-tds.sh ${HALVEX_TDS_SHIM})
    list(APPEND labels tds)
  endif()
  if(T_SIM)
    if(NOT T_PORTS)
      set(T_PORTS 1)
    endif()
    add_dependencies(${name} halvex_dtr_shim)
    list(APPEND command bash ${CMAKE_SOURCE_DIR}/tests/sim/with-sim.sh --shim-dir ${HALVEX_DTR_SHIM_DIR}
         --ports ${T_PORTS} ${T_SIM_ARGS} --)
    list(PREPEND labels sim)
  elseif(T_PORTS OR T_SIM_ARGS)
    message(FATAL_ERROR "halvex_test(${name}): PORTS and SIM_ARGS need SIM")
  endif()
  list(APPEND command ${T_LAUNCHER})
  if(command)
    add_test(NAME ${name} COMMAND ${command} $<TARGET_FILE:${name}> ${T_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  endif()

  list(APPEND labels ${T_LABELS})
  if(T_WINDOWS)
    list(APPEND labels windows)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
    ENVIRONMENT "HALVEX_RIG_DIR=${HALVEX_RIG_DIR};HALVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};HALVEX_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  if(T_WINDOWS)
    # A rig of its own (display, wineserver, network namespace): the one-per-
    # machine locks do not apply to it.
    halvex_rig_apart(${name} ${T_WINDOWS})
  elseif(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
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
