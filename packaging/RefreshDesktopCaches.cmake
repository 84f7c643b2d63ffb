# Run at install and uninstall time with CMAKE_INSTALL_PREFIX and KELVANE_DATADIR set:
# after an install straight into a prefix (no DESTDIR), the desktop sees the new menu
# entry, file type and icons at once. Each tool is optional; a missing one is skipped.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
set(share ${CMAKE_INSTALL_PREFIX}/${KELVANE_DATADIR})
find_program(update_mime update-mime-database)
find_program(update_desktop update-desktop-database)
find_program(update_icons gtk-update-icon-cache)
if(update_mime AND IS_DIRECTORY ${share}/mime/packages)
  execute_process(COMMAND ${update_mime} ${share}/mime)
endif()
if(update_desktop AND IS_DIRECTORY ${share}/applications)
  execute_process(COMMAND ${update_desktop} -q ${share}/applications)
endif()
# An icon cache is only brought up to date where one exists: without one, the
# theme is read from the folders, and a cache made here would go stale later.
if(update_icons AND EXISTS ${share}/icons/hicolor/icon-theme.cache)
  execute_process(COMMAND ${update_icons} -q -f ${share}/icons/hicolor)
endif()
