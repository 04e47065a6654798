# qx_embed_resources(<target> MODULE <symbol> FILES <file>...)
# Turns each file into a byte array at build time and adds a generated source
# that defines `extern const QxResourceModule <symbol>;` with one entry per file,
# named by the file's name without its folder.
function(qx_embed_resources target)
  cmake_parse_arguments(ARG "" "MODULE" "FILES" ${ARGN})
  set(QX_EMBED_SCRIPT ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/QxEmbedFile.cmake)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${ARG_MODULE}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DMODULE=${ARG_MODULE} "-DFILES=${ARG_FILES}" -P ${QX_EMBED_SCRIPT}
    DEPENDS ${ARG_FILES} ${QX_EMBED_SCRIPT}
    COMMENT "Embedding resources of ${ARG_MODULE}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
