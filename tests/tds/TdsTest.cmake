# Tests against the TDS stand-in: include this file, then
#   halvex_tds_test(NAME SOURCES a.cpp ... [LIBS x y] [TIMEOUT s] [ENV "K=V"])
# builds a GoogleTest program that ctest runs through with-tds.sh, with a fresh
# stand-in and the ODBC data source of TdsControl::Dsn() for the program.
include_guard(GLOBAL)

# Global, since the function is called from every folder that includes this file.
set(HALVEX_TDS_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
set(HALVEX_TDS_RIG ${CMAKE_BINARY_DIR}/tds-rig CACHE INTERNAL "")
set(HALVEX_TDS_SHIM ${HALVEX_TDS_RIG}/libhalvex_tds_shim.so CACHE INTERNAL "")
# The Linux side of the chain has the word size of the Wine that runs the test.
if(HALVEX_ARCH STREQUAL "x86_64")
  set(_tds_bits 64)
  set(_tds_multiarch x86_64-linux-gnu)
else()
  set(_tds_bits 32)
  set(_tds_multiarch i386-linux-gnu)
endif()
set(HALVEX_FREETDS_DRIVER /usr/lib/${_tds_multiarch}/odbc/libtdsodbc.so)

# The driver shim is a Linux object of the Wine's word size, built with the host's compiler.
# Debian ships FreeTDS's driver without its soname file, so a link of that name
# lies beside the shim and the shim finds it through RUNPATH $ORIGIN.
add_custom_command(
  OUTPUT ${HALVEX_TDS_SHIM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HALVEX_TDS_RIG}
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${HALVEX_FREETDS_DRIVER} ${HALVEX_TDS_RIG}/libtdsodbc.so.0
  COMMAND gcc -m${_tds_bits} -shared -fPIC -O2 -Wall -o ${HALVEX_TDS_SHIM} ${HALVEX_TDS_DIR}/tds_driver_shim.c
          -Wl,--no-as-needed -L${HALVEX_TDS_RIG} -l:libtdsodbc.so.0 -ldl
          -Wl,-rpath,$ORIGIN -Wl,--enable-new-dtags
  DEPENDS ${HALVEX_TDS_DIR}/tds_driver_shim.c
  COMMENT "Building the test-only ODBC driver shim (host, ${_tds_bits}-bit)"
  VERBATIM)
add_custom_target(halvex_tds_shim ALL DEPENDS ${HALVEX_TDS_SHIM})

add_library(tds_control STATIC ${HALVEX_TDS_DIR}/TdsControl.cpp)
target_include_directories(tds_control PUBLIC ${HALVEX_TDS_DIR})
target_link_libraries(tds_control PUBLIC ws2_32)

function(halvex_tds_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tds_control GTest::gtest GTest::gtest_main)
  add_dependencies(${name} halvex_tds_shim)
  add_test(NAME ${name} COMMAND bash ${HALVEX_TDS_DIR}/with-tds.sh ${HALVEX_TDS_SHIM} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "tds;${T_LABELS}"
    ENVIRONMENT "HALVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};HALVEX_BINARY_DIR=${CMAKE_BINARY_DIR};HALVEX_RIG_DIR=${HALVEX_RIG_DIR};${T_ENV}")
endfunction()
