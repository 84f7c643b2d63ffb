kelvane_test(ado_test kelvane_ado)
kelvane_test(ado_jet_test kelvane_ado)
