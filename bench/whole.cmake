# The whole database out (--sqlite, --postgresql) on a million rows, beside sqlite3's
# own .import of the same rows as CSV and beside --csv.
add_executable(bench_whole bench_whole.cpp)
target_link_libraries(bench_whole PRIVATE kelvane_testsupport)
target_compile_definitions(bench_whole PRIVATE KELVANE_EXPORT_BIN="$<TARGET_FILE:kelvane-export>")
add_dependencies(bench_whole kelvane-export)
set_target_properties(bench_whole PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
