# Installs the build into a scratch prefix and checks that every file lands
# where a desktop (and the program itself) looks for it.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DCMAKE_INSTALL_BINDIR=... \
#        -DCMAKE_INSTALL_DATADIR=... -DCMAKE_INSTALL_MANDIR=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
  ${CMAKE_INSTALL_BINDIR}/kavora
  ${CMAKE_INSTALL_DATADIR}/kavora/KVR.HLP
  ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps/org.kavora.Kavora.svg
  ${CMAKE_INSTALL_DATADIR}/applications/org.kavora.Kavora.desktop
  ${CMAKE_INSTALL_DATADIR}/metainfo/org.kavora.Kavora.metainfo.xml
  ${CMAKE_INSTALL_DATADIR}/mime/packages/org.kavora.Kavora.mime.xml
  ${CMAKE_INSTALL_MANDIR}/man1/kavora.1)
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The help file holds every topic the Help menu opens.
file(READ ${PREFIX}/${CMAKE_INSTALL_DATADIR}/kavora/KVR.HLP help)
foreach(anchor contents context-2 context-3)
  if(NOT help MATCHES "name=\"${anchor}\"")
    message(FATAL_ERROR "the help file has no topic ${anchor}")
  endif()
endforeach()

# The desktop file starts the program by the name it is installed under, and
# names the icon that is installed.
file(READ ${PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/org.kavora.Kavora.desktop desktop)
if(NOT desktop MATCHES "\nExec=kavora %f\n" OR NOT desktop MATCHES "\nIcon=org.kavora.Kavora\n")
  message(FATAL_ERROR "the desktop file does not name the installed program and icon")
endif()

# The playlist type that the MIME package declares is one the desktop entry
# opens, and the icon that the package names for it is installed.
file(READ ${PREFIX}/${CMAKE_INSTALL_DATADIR}/mime/packages/org.kavora.Kavora.mime.xml mime)
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
  execute_process(
    COMMAND ${MAN} -M ${PREFIX}/${CMAKE_INSTALL_MANDIR} -w 1 kavora
    RESULT_VARIABLE result OUTPUT_VARIABLE page ERROR_VARIABLE page OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0 OR NOT page STREQUAL "${PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/kavora.1")
    message(FATAL_ERROR "man does not find kavora(1) in ${PREFIX}/${CMAKE_INSTALL_MANDIR}: ${page}")
  endif()
endif()

# The installed program finds its help file in the data directory.
file(MAKE_DIRECTORY ${PREFIX}/home/run)
file(CHMOD ${PREFIX}/home/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env HOME=${PREFIX}/home XDG_RUNTIME_DIR=${PREFIX}/home/run
          QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=kavora.startup.debug=true
          ${PREFIX}/${CMAKE_INSTALL_BINDIR}/kavora
  TIMEOUT 5 ERROR_VARIABLE log OUTPUT_QUIET)
if(NOT log MATCHES "help file: Z:[^\n]*\\\\share\\\\kavora\\\\KVR\\.HLP")
  message(FATAL_ERROR "the installed program does not look for its help file in share/kavora:\n${log}")
endif()
message(STATUS "installed layout complete under ${PREFIX}")
