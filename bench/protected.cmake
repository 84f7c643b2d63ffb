# Protected files: the open of the real agile files, and each scheme's page
# decryption beside the plain scan of the 1,000,000-row table; the export of that
# table from an agile copy beside the plain .accdb.
add_executable(bench_protected bench_protected.cpp)
target_link_libraries(bench_protected PRIVATE kelvane_export kelvane_ado kelvane_testsupport)
target_compile_definitions(bench_protected PRIVATE KELVANE_TESTDATA="${CMAKE_SOURCE_DIR}/../shared/testdata")
set_target_properties(bench_protected PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
