# Removes what `make install` put under DESTDIR + PREFIX.
#   cmake -DBUILD=<build dir> -DPREFIX=<prefix> [-DDESTDIR=<root>] -P Uninstall.cmake
# The list of files comes from the install rules themselves: the build is installed
# once more into a scratch root with the same prefix, and each file found there is
# removed from the real one. So the list is right whatever prefix the install used,
# and does not depend on an install manifest that a later staged install overwrote.
foreach(var BUILD PREFIX)
  if(NOT ${var})
    message(FATAL_ERROR "Uninstall.cmake needs -D${var}=...")
  endif()
endforeach()
string(RANDOM LENGTH 8 tag)
set(stage ${BUILD}/uninstall-stage-${tag})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
                        ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  file(REMOVE_RECURSE ${stage})
  message(FATAL_ERROR "could not list the installed files (is ${BUILD} built?)")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
file(REMOVE_RECURSE ${stage})
foreach(path IN LISTS staged)
  set(target "${DESTDIR}/${path}")
  if(EXISTS "${target}" OR IS_SYMLINK "${target}")
    message(STATUS "Removing: ${target}")
    file(REMOVE "${target}")
  endif()
endforeach()
set(ENV{DESTDIR} "${DESTDIR}")
set(CMAKE_INSTALL_PREFIX ${PREFIX})
set(KELVANE_DATADIR share)
include(${CMAKE_CURRENT_LIST_DIR}/RefreshDesktopCaches.cmake)
