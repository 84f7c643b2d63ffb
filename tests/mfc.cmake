# The MFC-shaped layer: strings, and the dialog machinery on real widgets (Xvfb).
kelvane_test(mfc_cstring_test kelvane_mfc)
kelvane_test(mfc_dialog_test kelvane_mfc)
# Dialog tests share the one X display: run them one at a time, so no other test's
# window takes the keyboard focus from theirs.
set_tests_properties(mfc_dialog_test PROPERTIES RESOURCE_LOCK x_display)
