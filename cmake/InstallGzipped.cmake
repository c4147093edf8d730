# kavora_install_gzipped(<source> <destination> [RENAME <name>]) installs
# <source> compressed as Debian wants manual pages and changelogs: gzip -9n,
# the maximum compression and no name or time stamp in the header, so that
# two builds of the same text give the same bytes.
find_program(KAVORA_GZIP gzip REQUIRED)

function(kavora_install_gzipped source destination)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "RENAME" "")
  get_filename_component(name ${source} NAME)
  if(arg_RENAME)
    set(name ${arg_RENAME})
  endif()
  string(MAKE_C_IDENTIFIER "${destination}/${name}" stem)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${KAVORA_GZIP} -9nc ${source} > ${compressed}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  add_custom_target(gzip_${stem} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${destination} RENAME ${name}.gz)
endfunction()
