# quadrangler_gzip(TARGET FILE): FILE.gz beside FILE, built by TARGET.
# Without name or time stamp (-n), so that packages build reproducibly.
find_program(GZIP gzip REQUIRED)
function(quadrangler_gzip target file)
  add_custom_command(
    OUTPUT ${file}.gz
    COMMAND ${GZIP} -n -9 -k -f ${file}
    DEPENDS ${file}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()
