# The SQL engine (src/platform/jet/sql) through the provider: Jet dialect, VBA
# functions, virtual tables, cursor.
kelvane_test(jet/sql/sql_translate_test kelvane_jet)
kelvane_test(jet/sql/sql_engine_test kelvane_jet)
kelvane_test(jet/sql/sql_files_test kelvane_jet)
kelvane_test(jet/sql/sql_values_test kelvane_jet)
kelvane_test(jet/sql/sql_index_test kelvane_jet)
kelvane_test(jet/sql/sql_exact_transport_test kelvane_jet)
