# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): every file time in the
# package becomes the time of the last commit, so that packing the same build twice
# gives the same bytes. Outside a git checkout (a release tarball) the time of the
# newest release in NEWS.md stands in. A SOURCE_DATE_EPOCH already set is kept.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
find_program(GIT git)
if(GIT)
  execute_process(COMMAND ${GIT} -C "${CPACK_KELVANE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
endif()
if(NOT GIT OR failed OR NOT epoch MATCHES "^[0-9]+$")
  set(epoch ${CPACK_KELVANE_RELEASE_EPOCH})
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
