# Windows, cross-compiled on Debian with MinGW-w64 (posix thread model: the
# win32 model of GCC 12 has no std::thread or std::mutex).
# HALVEX_ARCH picks the target: i686 (the product's 32-bit Windows, the
# default) or x86_64 (the same sources as 64-bit Windows, for test rigs whose
# kernel cannot run 32-bit programs and so cannot run 32-bit Wine).
if(NOT HALVEX_ARCH)
  set(HALVEX_ARCH i686)
endif()
if(NOT HALVEX_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "HALVEX_ARCH must be i686 or x86_64, not '${HALVEX_ARCH}'")
endif()
set(HALVEX_ARCH ${HALVEX_ARCH} CACHE STRING "Windows target: i686 or x86_64" FORCE)
set(_triple ${HALVEX_ARCH}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HALVEX_ARCH})
set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
