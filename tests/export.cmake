# The export's text path (code page, target file, line format, run) from the export
# library, so its tests and the benchmark need no window system.
kelvane_test(export_text_test kelvane_export)
kelvane_test(export_value_forms_test kelvane_export)
kelvane_test(export_run_test kelvane_export)
# The full-disk case on a tmpfs needs root to mount it: ctest reports it skipped elsewhere.
set_tests_properties(export_run_test PROPERTIES ENVIRONMENT "GTEST_FILTER=-*SmallFileSystem*")
add_test(NAME export_run_tmpfs_test COMMAND export_run_test)
set_tests_properties(export_run_tmpfs_test PROPERTIES ENVIRONMENT "GTEST_FILTER=*SmallFileSystem*"
                     SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
kelvane_test(export_testdata_test kelvane_export kelvane_ado)
kelvane_test(export_dialog_test kelvane_dialog)
