# SQLite 3 for Windows, built from the amalgamation that scripts/setup.sh makes
# from Debian's source package (configuring never installs or fetches anything).
set(HALVEX_SQLITE_DIR ${CMAKE_SOURCE_DIR}/.deps/sqlite CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
# Build trees configured before setup made it keep their own copy.
foreach(dir ${HALVEX_SQLITE_DIR} ${CMAKE_BINARY_DIR}/_deps/sqlite)
  if(EXISTS ${dir}/sqlite3.c AND EXISTS ${dir}/sqlite3.h)
    set(SQLITE_DIR ${dir})
    break()
  endif()
endforeach()
if(NOT SQLITE_DIR)
  message(FATAL_ERROR "The SQLite amalgamation is not in ${HALVEX_SQLITE_DIR}: run bash scripts/setup.sh, which makes it from Debian's source package")
endif()
add_library(sqlite3 STATIC ${SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${SQLITE_DIR})
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
target_compile_options(sqlite3 PRIVATE -w -O2)
