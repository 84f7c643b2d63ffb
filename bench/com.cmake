# Value to text for each kind of column value, per million values.
add_executable(bench_value_text bench_value_text.cpp)
target_link_libraries(bench_value_text PRIVATE kelvane_com)
set_target_properties(bench_value_text PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
