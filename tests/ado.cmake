kelvane_test(ado_test kelvane_ado)
