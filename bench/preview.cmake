# The preview's database path (open, select top 4 *, read the four rows) on a small
# and a huge table, beside the plain libmdb scan of the huge one.
add_executable(bench_preview bench_preview.cpp)
target_link_libraries(bench_preview PRIVATE kelvane_ado kelvane_testsupport)
set_target_properties(bench_preview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
