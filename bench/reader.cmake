# A full scan of a 1,000,000-row table through MdbFile (every value decoded) beside
# the plain libmdb scan of the same file and the same scan through the ADO layer,
# with the peak memory of the process.
add_executable(bench_scan bench_scan.cpp)
target_link_libraries(bench_scan PRIVATE kelvane_ado kelvane_jet kelvane_testsupport)
set_target_properties(bench_scan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
