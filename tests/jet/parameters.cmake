# The parameter values of a statement, bound into the saved queries it reads.
kelvane_test(jet/parameters_test kelvane_jet)
