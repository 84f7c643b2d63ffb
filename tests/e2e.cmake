# The real program binary end to end under a private X server (tests/e2e/). The
# script needs the program and the fixture tool built; it starts its own Xvfb, so
# its synthesized input never reaches another test's window.
add_test(NAME e2e_export
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/export_e2e.sh
                 $<TARGET_FILE:kelvane> $<TARGET_FILE:kelvane_make_fixture>)
set_tests_properties(e2e_export PROPERTIES TIMEOUT 180)
# A file named on the command line, listed at start-up; a line not taken refused.
add_test(NAME e2e_open COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/open_e2e.sh
                                    $<TARGET_FILE:kelvane> $<TARGET_FILE:kelvane_make_fixture>)
set_tests_properties(e2e_open PROPERTIES TIMEOUT 180)
# SIGTERM and SIGHUP close the window as Esc does (the settings saved), after a
# running export has ended.
add_test(NAME e2e_signal COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/signal_e2e.sh
                                      $<TARGET_FILE:kelvane> $<TARGET_FILE:kelvane_make_fixture>)
set_tests_properties(e2e_signal PROPERTIES TIMEOUT 180)
# kelvane-export beside the window (the same bytes), and what only its real process
# shows: statuses, messages, quoting, --all, a closed pipe, signals.
add_test(NAME e2e_cli COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cli_e2e.sh
                                   $<TARGET_FILE:kelvane> $<TARGET_FILE:kelvane-export>
                                   $<TARGET_FILE:kelvane_make_fixture> ${KELVANE_SHARED}/testdata)
set_tests_properties(e2e_cli PROPERTIES TIMEOUT 300)
# kelvane-export's password sources: a file, standard input, the environment, the
# terminal's prompt, none, a wrong one.
add_test(NAME e2e_password COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/password_e2e.sh
                                        $<TARGET_FILE:kelvane-export> ${KELVANE_SHARED}/testdata)
set_tests_properties(e2e_password PROPERTIES TIMEOUT 120)
# --csv and --json read back by Python's csv, json and datetime and by jq, on every
# table of every file of the test data.
add_test(NAME e2e_formats COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/formats_e2e.sh
                                      $<TARGET_FILE:kelvane-export> ${KELVANE_SHARED}/testdata)
set_tests_properties(e2e_formats PROPERTIES TIMEOUT 300)
# kelvane-export --salvage on a damaged copy: statuses, the loss lines, the report.
add_test(NAME e2e_salvage COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/salvage_e2e.sh
                                       $<TARGET_FILE:kelvane-export> $<TARGET_FILE:kelvane_make_fixture>
                                       $<TARGET_FILE:kelvane_damage>)
set_tests_properties(e2e_salvage PROPERTIES TIMEOUT 120)
# The whole database out of every real Access file (--sqlite, --postgresql), checked
# by sqlite3's shell and by a PostgreSQL server the test starts and stops.
add_test(NAME e2e_whole_database
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/whole_database_check.py
                 $<TARGET_FILE:kelvane-export> ${KELVANE_SHARED}/testdata ${CMAKE_BINARY_DIR}/whole_database_check
                 $<TARGET_FILE:kelvane_make_fixture> $<TARGET_FILE:kelvane_damage>)
set_tests_properties(e2e_whole_database PROPERTIES TIMEOUT 300)
