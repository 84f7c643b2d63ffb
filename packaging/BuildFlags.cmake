# Debian's hardening, as dpkg-buildflags gives it to every package of the archive:
# stack protector, fortified libc calls, format checks, read-only relocations bound
# at start (-z relro -z now). Taken from the tool rather than written out here, so
# the build follows what the installed dpkg means by them. Its -g and -O2 are left
# to the build type; fortification only where the build type optimises (glibc
# refuses it at -O0). Not in the fuzz build, whose sanitizers replace it.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS OR KELVANE_FUZZ)
  return()
endif()
set(kelvane_hardening "")
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(WARNING "dpkg-buildflags --get ${kind} failed: built without Debian's hardening")
    return()
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    list(FILTER flags EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
  endif()
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
  list(APPEND kelvane_hardening ${flags})
endforeach()
list(REMOVE_DUPLICATES kelvane_hardening)
message(STATUS "Debian build flags: ${kelvane_hardening}")
