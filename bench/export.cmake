# The export run headless against the plain libmdb scan of the same table.
add_executable(bench_export bench_export.cpp)
target_link_libraries(bench_export PRIVATE kelvane_export kelvane_ado kelvane_testsupport)
set_target_properties(bench_export PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
