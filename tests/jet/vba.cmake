# The VBA library (src/platform/jet/vba) on its own connection, and the functions
# a statement may not call, through the provider.
kelvane_test(jet/vba/vba_library_test kelvane_jet_vba)
kelvane_test(jet/vba/vba_refusals_test kelvane_jet)
kelvane_test(jet/vba/vba_sortkey_test kelvane_jet_vba)
kelvane_test(jet/vba/vba_table_test kelvane_jet_vba)
