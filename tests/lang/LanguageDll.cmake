# halvex_language_dll(NAME name RC_DIR dir [EXPORT function TEXT display-name]
#                     [REPLACE from to ...])
# A language DLL for the tests: every resource script of RC_DIR (a program's
# own resources, so that nothing the program loads is missing), with the
# REPLACE pairs applied to their texts. With EXPORT it exports that function,
# returning TEXT; without it the DLL carries resources only.
function(halvex_language_dll)
  cmake_parse_arguments(L "" "NAME;RC_DIR;EXPORT;TEXT" "REPLACE" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${L_NAME}-src)
  file(GLOB scripts ${L_RC_DIR}/*.rc)
  set(sources)
  foreach(script ${scripts})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
    file(READ ${script} text)
    set(pairs ${L_REPLACE})
    while(pairs)
      list(POP_FRONT pairs from to)
      string(REPLACE "${from}" "${to}" text "${text}")
    endwhile()
    get_filename_component(base ${script} NAME)
    file(WRITE ${out}/${base}.new "${text}")
    # Rewritten only when it changed, so that an unchanged DLL is not rebuilt.
    file(COPY_FILE ${out}/${base}.new ${out}/${base} ONLY_IF_DIFFERENT)
    list(APPEND sources ${out}/${base})
  endforeach()
  if(L_EXPORT)
    file(WRITE ${out}/exports.def.new "EXPORTS\n    ${L_EXPORT}\n")
    file(COPY_FILE ${out}/exports.def.new ${out}/exports.def ONLY_IF_DIFFERENT)
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/lang/language_name.c ${out}/exports.def)
  endif()
  add_library(${L_NAME} MODULE ${sources})
  set_target_properties(${L_NAME} PROPERTIES PREFIX "" LINKER_LANGUAGE C
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/lang/dlls)
  # The scripts name their files relative to their own folder.
  target_include_directories(${L_NAME} PRIVATE ${L_RC_DIR} ${CMAKE_SOURCE_DIR})
  if(L_EXPORT)
    target_compile_definitions(${L_NAME} PRIVATE LANGUAGE_EXPORT=${L_EXPORT} "LANGUAGE_NAME=\"${L_TEXT}\"")
  endif()
endfunction()
