# The provider's SQL engine: Jet dialect, VBA functions, virtual tables, cursor.
kelvane_test(sql_translate_test kelvane_jet)
kelvane_test(sql_engine_test kelvane_jet)
kelvane_test(sql_files_test kelvane_jet)
kelvane_test(sql_values_test kelvane_jet)
