# The export's text path (code page, target file, line format, run) on its own,
# from the very sources kelvane_dialog compiles, so its tests and the benchmark need
# no window system.
if(NOT TARGET kelvane_export_text)
  add_library(kelvane_export_text STATIC
    ${CMAKE_SOURCE_DIR}/src/export/TextEncoder.cpp
    ${CMAKE_SOURCE_DIR}/src/export/TargetFile.cpp
    ${CMAKE_SOURCE_DIR}/src/export/TextWriter.cpp
    ${CMAKE_SOURCE_DIR}/src/export/ExportRun.cpp)
  target_include_directories(kelvane_export_text PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(kelvane_export_text PUBLIC kelvane_com)
endif()

kelvane_test(export_text_test kelvane_export_text)
kelvane_test(export_run_test kelvane_export_text)
# The full-disk case on a tmpfs needs root to mount it: ctest reports it skipped elsewhere.
set_tests_properties(export_run_test PROPERTIES ENVIRONMENT "GTEST_FILTER=-*SmallFileSystem*")
add_test(NAME export_run_tmpfs_test COMMAND export_run_test)
set_tests_properties(export_run_tmpfs_test PROPERTIES ENVIRONMENT "GTEST_FILTER=*SmallFileSystem*"
                     SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
kelvane_test(export_testdata_test kelvane_export_text kelvane_ado)
kelvane_test(export_dialog_test kelvane_dialog)
