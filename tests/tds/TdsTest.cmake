# The pieces tests against the TDS stand-in need (halvex_test(... TDS) runs
# them through with-tds.sh, with a fresh stand-in and the ODBC data source of
# TdsControl::Dsn()): the driver shim and the stand-in's control client.
include_guard(GLOBAL)

# Global: halvex_test reads them in every folder.
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
