# Installs the build into a scratch prefix and checks that every file lands
# where a desktop (and the program itself) looks for it.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DCMAKE_INSTALL_BINDIR=... \
#        -DCMAKE_INSTALL_DATADIR=... -P CheckInstall.cmake
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
  ${CMAKE_INSTALL_DATADIR}/metainfo/org.kavora.Kavora.metainfo.xml)
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
