# The .mdb file reader (src/platform/jet/Mdb*, JetText).
kelvane_test(mdb_reader_test kelvane_jet)
kelvane_test(mdb_damaged_test kelvane_jet)
kelvane_test(mdb_text_test kelvane_jet)
kelvane_test(mdb_fixture_test kelvane_jet)
kelvane_test(mdb_libmdb_check_test kelvane_jet)
