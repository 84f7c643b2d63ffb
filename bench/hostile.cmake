# A file made to hurt the reader (looping long-value chains) exported beside a
# healthy file of its size.
add_executable(bench_hostile bench_hostile.cpp)
target_link_libraries(bench_hostile PRIVATE kelvane_export kelvane_ado kelvane_testsupport)
set_target_properties(bench_hostile PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
