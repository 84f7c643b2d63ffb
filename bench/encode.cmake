# The export's code page conversion: text the target cannot hold against text it can.
add_executable(bench_encode bench_encode.cpp)
target_link_libraries(bench_encode PRIVATE kelvane_export)
set_target_properties(bench_encode PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
