# Installs the build into a scratch prefix and checks that every file lands
# where a desktop (and the program itself) looks for it. Given
# UPDATE_MIME_DATABASE and MIME_TYPE_TEST, it also builds the prefix's MIME
# database as a package manager would and checks that .kvr resolves to the
# playlist type.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DCMAKE_INSTALL_BINDIR=... \
#        -DCMAKE_INSTALL_DATADIR=... -DCMAKE_INSTALL_MANDIR=... \
#        [-DUPDATE_MIME_DATABASE=... -DMIME_TYPE_TEST=...] -P CheckInstall.cmake

# Runs a command, fails the check with what it printed unless it ends with 0,
# and leaves what it printed in `output`.
function(run_or_fail failure)
  execute_process(COMMAND ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${failure} (${result}):\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX})
run_or_fail("cmake --install failed" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
set(data ${PREFIX}/${CMAKE_INSTALL_DATADIR})

set(expected
  ${CMAKE_INSTALL_BINDIR}/kavora
  ${CMAKE_INSTALL_DATADIR}/kavora/KVR.HLP
  ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps/org.kavora.Kavora.svg
  ${CMAKE_INSTALL_DATADIR}/applications/org.kavora.Kavora.desktop
  ${CMAKE_INSTALL_DATADIR}/metainfo/org.kavora.Kavora.metainfo.xml
  ${CMAKE_INSTALL_DATADIR}/mime/packages/org.kavora.Kavora.mime.xml
  ${CMAKE_INSTALL_MANDIR}/man1/kavora.1.gz)
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The help file holds every topic the Help menu opens.
file(READ ${data}/kavora/KVR.HLP help)
foreach(anchor contents context-2 context-3)
  if(NOT help MATCHES "name=\"${anchor}\"")
    message(FATAL_ERROR "the help file has no topic ${anchor}")
  endif()
endforeach()

# The desktop file starts the program by the name it is installed under, and
# names the icon that is installed.
file(READ ${data}/applications/org.kavora.Kavora.desktop desktop)
if(NOT desktop MATCHES "\nExec=kavora %f\n" OR NOT desktop MATCHES "\nIcon=org.kavora.Kavora\n")
  message(FATAL_ERROR "the desktop file does not name the installed program and icon")
endif()

# The playlist type that the MIME package declares is one the desktop entry
# opens, and the icon that the package names for it is installed.
file(READ ${data}/mime/packages/org.kavora.Kavora.mime.xml mime)
if(NOT mime MATCHES "<mime-type type=\"([^\"]+)\">")
  message(FATAL_ERROR "the MIME package declares no type")
endif()
set(playlist_type ${CMAKE_MATCH_1})
if(NOT desktop MATCHES "\nMimeType=([^\n]*;)?${playlist_type};")
  message(FATAL_ERROR "the desktop file does not open ${playlist_type}")
endif()
if(NOT mime MATCHES "<icon name=\"([^\"]+)\"/>")
  message(FATAL_ERROR "the MIME package names no icon for ${playlist_type}")
endif()
set(mime_icon ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes/${CMAKE_MATCH_1}.svg)
if(NOT EXISTS ${PREFIX}/${mime_icon})
  message(FATAL_ERROR "not installed: ${mime_icon}, the icon of ${playlist_type}")
endif()

# man, given the installed manual directory, finds the page kavora(1) there.
find_program(MAN man)
if(MAN)
  run_or_fail("man does not find kavora(1)" ${MAN} -M ${PREFIX}/${CMAKE_INSTALL_MANDIR} -w 1 kavora)
  if(NOT output STREQUAL "${PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/kavora.1.gz")
    message(FATAL_ERROR "man does not find kavora(1) in ${PREFIX}/${CMAKE_INSTALL_MANDIR}: ${output}")
  endif()
endif()

# The installed program finds its help file in the data directory. It runs
# only until it has logged where it looks (up to 15 s), then is ended. The
# script holds no semicolon, which would split it into a CMake list.
file(MAKE_DIRECTORY ${PREFIX}/home/run)
file(CHMOD ${PREFIX}/home/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
run_or_fail("the installed program logged no help file"
  ${CMAKE_COMMAND} -E env HOME=${PREFIX}/home XDG_RUNTIME_DIR=${PREFIX}/home/run
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=kavora.startup.debug=true
    sh -c [=[
      "$1" 2>"$HOME/log" & program=$!
      polls=0
      until grep -q "help file:" "$HOME/log" || ! kill -0 $program || [ $((polls += 1)) -gt 300 ]
      do sleep 0.05
      done
      kill $program && wait $program
      cat "$HOME/log" && grep -q "help file:" "$HOME/log"]=]
    sh ${PREFIX}/${CMAKE_INSTALL_BINDIR}/kavora)
if(NOT output MATCHES "help file: Z:[^\n]*\\\\share\\\\kavora\\\\KVR\\.HLP")
  message(FATAL_ERROR "the installed program does not look for its help file in share/kavora:\n${output}")
endif()

if(NOT UPDATE_MIME_DATABASE)
  message(STATUS "installed layout complete under ${PREFIX}; MIME database not checked")
  return()
endif()

# XDG_DATA_HOME points at an empty folder so that a type the user installed
# under ~/.local cannot stand in for the one installed here.
file(MAKE_DIRECTORY ${PREFIX}/home/data)
set(environment HOME=${PREFIX}/home XDG_DATA_HOME=${PREFIX}/home/data
                XDG_DATA_DIRS=${data}:/usr/local/share:/usr/share)

# update-mime-database ends with 0 even when it cannot parse a package, so
# anything it prints fails the check.
run_or_fail("update-mime-database rejected the package"
  ${CMAKE_COMMAND} -E env ${environment} PKGSYSTEM_ENABLE_FSYNC=0 ${UPDATE_MIME_DATABASE} ${data}/mime)
if(NOT output STREQUAL "")
  message(FATAL_ERROR "update-mime-database rejected the package:\n${output}")
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

run_or_fail("the database of ${PREFIX} does not resolve .kvr"
  ${CMAKE_COMMAND} -E env ${environment} ${MIME_TYPE_TEST})
message(STATUS "installed layout complete under ${PREFIX}; .kvr resolves to audio/x-kavora-playlist")
