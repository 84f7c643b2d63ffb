kelvane_test(com_error_test kelvane_com)
kelvane_test(variant_text_test kelvane_com)
kelvane_test(exact_test kelvane_com)
add_dependencies(com_error_test kelvane_catalogs)  # the English system texts come from it
