# Runs at the end of an install. A program installed into a prefix rather than by its package
# refreshes the desktop's MIME and desktop-entry caches itself, so that file managers know
# .zs documents and offer Veltrane for them; the package leaves this to dpkg's triggers, and a
# staged install (DESTDIR) to whoever installs the stage.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
set(share "${CMAKE_INSTALL_PREFIX}/${VELTRANE_DATADIR}")
find_program(VELTRANE_UPDATE_MIME update-mime-database)
find_program(VELTRANE_UPDATE_DESKTOP update-desktop-database)
if(VELTRANE_UPDATE_MIME)
  execute_process(COMMAND ${VELTRANE_UPDATE_MIME} "${share}/mime")
endif()
if(VELTRANE_UPDATE_DESKTOP)
  execute_process(COMMAND ${VELTRANE_UPDATE_DESKTOP} "${share}/applications")
endif()
