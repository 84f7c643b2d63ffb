# Statements that look rows up in another table (correlated subqueries, NOT IN, a
# join on a text column) through the ADO layer, beside SQLite over native tables
# with indexes, and the bytes a row of the index such a statement builds.
add_executable(bench_lookup bench_lookup.cpp)
target_link_libraries(bench_lookup PRIVATE kelvane_ado kelvane_jet kelvane_testsupport PkgConfig::SQLITE)
set_target_properties(bench_lookup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
