# Salvage of an undamaged file beside the plain export of the same table.
add_executable(bench_salvage bench_salvage.cpp)
target_link_libraries(bench_salvage PRIVATE kelvane_export kelvane_ado kelvane_testsupport)
set_target_properties(bench_salvage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
