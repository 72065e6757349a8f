# Test programs that talk to simulated controllers over virtual COM ports
# (tests/sim/README.md). The DTR shim is a Linux object built with the host
# compiler beside the cross build, one per word size, found through $LIB.
find_program(HALVEX_HOST_CC NAMES gcc cc REQUIRED)
set(HALVEX_DTR_SHIM_DIR ${CMAKE_BINARY_DIR}/dtrshim)
set(_shim_src ${CMAKE_SOURCE_DIR}/tests/sim/dtr_shim.c)
set(_shim_outputs)
foreach(_arch "32;i386-linux-gnu" "64;x86_64-linux-gnu")
  list(GET _arch 0 _bits)
  list(GET _arch 1 _multiarch)
  set(_out ${HALVEX_DTR_SHIM_DIR}/lib/${_multiarch}/libhalvexdtr.so)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HALVEX_DTR_SHIM_DIR}/lib/${_multiarch}
    COMMAND ${HALVEX_HOST_CC} -m${_bits} -O2 -shared -fPIC -nostdlib -o ${_out} ${_shim_src}
    DEPENDS ${_shim_src}
    COMMENT "Building the DTR shim (${_bits}-bit)")
  list(APPEND _shim_outputs ${_out})
endforeach()
add_custom_target(halvex_dtr_shim ALL DEPENDS ${_shim_outputs})

# halvex_sim_test(NAME name SOURCES... [LIBS ...] [PORTS n] [SIM_ARGS ...]
#                 [TIMEOUT s] [ENV "K=V" ...] [LABELS ...] [WINDOWS] [TDS])
# A GoogleTest program run by tests/sim/with-sim.sh with n virtual COM ports
# (default 1) and the simulator started with SIM_ARGS. TDS runs all of it
# inside tests/tds/with-tds.sh as well, with a reporting-database stand-in of
# its own, and links tds_control; include tests/tds/TdsTest.cmake first.
function(halvex_sim_test)
  cmake_parse_arguments(T "WINDOWS;TDS" "NAME;TIMEOUT;PORTS" "SOURCES;LIBS;LABELS;ENV;SIM_ARGS" ${ARGN})
  set(name ${T_NAME})
  if(NOT name)
    # halvex_test style: the name first.
    list(POP_FRONT T_UNPARSED_ARGUMENTS name)
  endif()
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main ws2_32)
  add_dependencies(${name} halvex_dtr_shim)
  if(NOT T_PORTS)
    set(T_PORTS 1)
  endif()
  set(launcher)
  set(labels sim ${T_LABELS})
  if(T_TDS)
    if(NOT TARGET tds_control)
      message(FATAL_ERROR "halvex_sim_test(${name} TDS): include tests/tds/TdsTest.cmake first")
    endif()
    target_link_libraries(${name} PRIVATE tds_control)
    add_dependencies(${name} halvex_tds_shim)
    set(launcher bash ${HALVEX_TDS_DIR}/with-tds.sh ${HALVEX_TDS_SHIM})
    list(APPEND labels tds)
  endif()
  add_test(NAME ${name}
    COMMAND ${launcher} bash ${CMAKE_SOURCE_DIR}/tests/sim/with-sim.sh --shim-dir ${HALVEX_DTR_SHIM_DIR}
            --ports ${T_PORTS} ${T_SIM_ARGS} -- $<TARGET_FILE:${name}>)
  if(T_WINDOWS)
    list(APPEND labels windows)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
    ENVIRONMENT "HALVEX_RIG_DIR=${HALVEX_RIG_DIR};HALVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};HALVEX_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  halvex_rig_apart(${name} ${T_WINDOWS})
endfunction()
