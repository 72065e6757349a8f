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
