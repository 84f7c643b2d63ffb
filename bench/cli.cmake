# kelvane-export as a process of its own, beside the plain libmdb scan.
add_executable(bench_cli bench_cli.cpp)
target_link_libraries(bench_cli PRIVATE kelvane_testsupport)
target_compile_definitions(bench_cli PRIVATE KELVANE_EXPORT_BIN="$<TARGET_FILE:kelvane-export>")
add_dependencies(bench_cli kelvane-export)
set_target_properties(bench_cli PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
