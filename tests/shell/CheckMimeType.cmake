# Installs the build into a scratch prefix, builds that prefix's MIME database
# with update-mime-database as a package manager would, and checks that .kvr
# resolves to the playlist type.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DCMAKE_INSTALL_DATADIR=... \
#        -DUPDATE_MIME_DATABASE=... -DMIME_TYPE_TEST=... -P CheckMimeType.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# XDG_DATA_HOME points at an empty folder so that a type the user installed
# under ~/.local cannot stand in for the one installed here.
set(data ${PREFIX}/${CMAKE_INSTALL_DATADIR})
file(MAKE_DIRECTORY ${PREFIX}/home/data)
set(environment HOME=${PREFIX}/home XDG_DATA_HOME=${PREFIX}/home/data
                XDG_DATA_DIRS=${data}:/usr/local/share:/usr/share)

# update-mime-database ends with 0 even when it cannot parse a package, so
# anything it prints fails the check.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${environment} PKGSYSTEM_ENABLE_FSYNC=0
          ${UPDATE_MIME_DATABASE} ${data}/mime
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "update-mime-database rejected the package (${result}):\n${output}")
endif()

# The generated tables, which every reader of the database uses.
file(READ ${data}/mime/globs2 globs)
file(READ ${data}/mime/subclasses subclasses)
if(NOT globs MATCHES "\n50:audio/x-kavora-playlist:\\*\\.kvr\n")
  message(FATAL_ERROR "globs2 does not give *.kvr the playlist type:\n${globs}")
endif()
if(NOT subclasses MATCHES "(^|\n)audio/x-kavora-playlist audio/x-mpegurl\n")
  message(FATAL_ERROR "subclasses does not make the playlist type an M3U playlist:\n${subclasses}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${environment} ${MIME_TYPE_TEST}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the database of ${PREFIX} does not resolve .kvr:\n${output}")
endif()
message(STATUS ".kvr resolves to audio/x-kavora-playlist under ${PREFIX}")
