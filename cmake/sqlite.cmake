# SQLite 3 for Windows, from Debian's source package, built once per build tree.
set(SQLITE_DIR ${CMAKE_BINARY_DIR}/_deps/sqlite)
if(NOT EXISTS ${SQLITE_DIR}/sqlite3.c)
  message(STATUS "Preparing the SQLite amalgamation from Debian's source package")
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-sqlite.sh ${SQLITE_DIR}
                  RESULT_VARIABLE sqlite_rc)
  if(NOT sqlite_rc EQUAL 0)
    message(FATAL_ERROR "could not prepare SQLite from Debian's source package")
  endif()
endif()
add_library(sqlite3 STATIC ${SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${SQLITE_DIR})
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
target_compile_options(sqlite3 PRIVATE -w -O2)
