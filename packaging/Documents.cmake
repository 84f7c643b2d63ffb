# The documents that go with the programs, made from the one source each has in the
# repository: the manual pages (docs/man/*.1.in), the changelog (NEWS.md), the
# copyright file (LICENSE). Included by packaging/CMakeLists.txt with
# kelvane_programs (the programs this build has) and KELVANE_MAINTAINER set.
set(docs_out ${CMAKE_CURRENT_BINARY_DIR}/docs)
file(MAKE_DIRECTORY ${docs_out}/man)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/NEWS.md ${PROJECT_SOURCE_DIR}/LICENSE)

# Writes a made file only when its text changed, so a new configure run rebuilds
# nothing that depends on it.
function(kelvane_write_if_changed path text)
  file(WRITE ${path}.new "${text}")
  configure_file(${path}.new ${path} COPYONLY)
  file(REMOVE ${path}.new)
endfunction()

# NEWS.md, newest release first: "## <version> (<YYYY-MM-DD> <HH:MM> UTC)" heads
# each release, "- " starts an item, two blanks continue it. Debian wants the
# changelog of a native package in its own form, one entry per release:
#   kelvane (<version>) unstable; urgency=medium
#     * <item>
#    -- <maintainer>  <RFC 2822 date>
file(READ ${PROJECT_SOURCE_DIR}/NEWS.md news)
string(REPLACE ";" "<semicolon>" news "${news}")
string(REPLACE "\n" ";" news "${news}")
set(changelog "")
set(entry_end "")
set(KELVANE_RELEASE_DATE "")
foreach(line IN LISTS news)
  if(line MATCHES "^## ([0-9][^ ]*) \\(([0-9]+-[0-9]+-[0-9]+) ([0-9]+:[0-9]+) UTC\\)$")
    set(version ${CMAKE_MATCH_1})
    set(day ${CMAKE_MATCH_2})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                            date -u -R -d "${CMAKE_MATCH_2} ${CMAKE_MATCH_3} UTC"
                    OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    if(NOT KELVANE_RELEASE_DATE)  # the newest release names the version being built
      if(NOT version STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "NEWS.md: the newest release is ${version}, the project is "
                            "${PROJECT_VERSION}; write its release notes first")
      endif()
      set(KELVANE_RELEASE_DATE ${day})
      execute_process(COMMAND date -u +%s -d "${CMAKE_MATCH_2} ${CMAKE_MATCH_3} UTC"
                      OUTPUT_VARIABLE CPACK_KELVANE_RELEASE_EPOCH
                      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endif()
    string(APPEND changelog "${entry_end}${PROJECT_NAME} (${version}) unstable; urgency=medium\n\n")
    set(entry_end "\n -- ${KELVANE_MAINTAINER}  ${date}\n\n")
  elseif(NOT entry_end OR line STREQUAL "")  # before the first release, or between items
  elseif(line MATCHES "^- (.*)")
    string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
  else()
    string(APPEND changelog "  ${line}\n")
  endif()
endforeach()
if(NOT KELVANE_RELEASE_DATE)
  message(FATAL_ERROR "NEWS.md: no release heading \"## <version> (<date> <time> UTC)\"")
endif()
string(APPEND changelog "${entry_end}")
string(REPLACE "<semicolon>" ";" changelog "${changelog}")
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
kelvane_write_if_changed(${docs_out}/changelog "${changelog}")

# The copyright file in Debian's machine-readable form, its licence the text of
# LICENSE below its copyright line.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
set(copyright_holder "")
set(license_text "")
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    set(copyright_holder ${CMAKE_MATCH_1})
  elseif(copyright_holder AND license_text STREQUAL "" AND line STREQUAL "")
  elseif(copyright_holder)
    if(line STREQUAL "")
      set(line ".")
    endif()
    string(APPEND license_text " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "( \\.\n)+$" "" license_text "${license_text}")
kelvane_write_if_changed(${docs_out}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Kelvane
Upstream-Contact: The Kelvane developers

Files: *
Copyright: ${copyright_holder}
License: MIT

License: MIT
${license_text}")

# The manual page of each program this build has, with its version and the
# release date filled in, gzipped as Debian installs them (-9, no name or time).
set(gzipped ${docs_out}/changelog.gz)
foreach(program IN LISTS kelvane_programs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in ${docs_out}/man/${program}.1 @ONLY)
  list(APPEND gzipped ${docs_out}/man/${program}.1.gz)
  install(FILES ${docs_out}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
foreach(gz IN LISTS gzipped)
  string(REGEX REPLACE "\\.gz$" "" plain ${gz})
  add_custom_command(OUTPUT ${gz} COMMAND gzip -9nkf ${plain} DEPENDS ${plain} VERBATIM)
endforeach()
add_custom_target(kelvane_docs ALL DEPENDS ${gzipped})
install(FILES ${docs_out}/changelog.gz ${docs_out}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
