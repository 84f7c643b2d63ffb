# The file reader (src/platform/jet/file).
kelvane_test(jet/file/mdb_reader_test kelvane_jet_file)
kelvane_test(jet/file/mdb_damaged_test kelvane_jet_file kelvane_export kelvane_ado)
kelvane_test(jet/file/mdb_text_test kelvane_jet_file)
kelvane_test(jet/file/mdb_saved_query_test kelvane_jet_file)
kelvane_test(jet/file/mdb_fixture_test kelvane_jet_file)
kelvane_test(jet/file/mdb_libmdb_check_test kelvane_jet_file)
kelvane_test(jet/file/mdb_protected_test kelvane_jet_file)
kelvane_test(jet/file/mdb_salvage_test kelvane_jet_file)
