# The MFC-shaped layer: strings, and the dialog machinery on real widgets (Xvfb).
kelvane_test(mfc_cstring_test kelvane_mfc)
kelvane_test(mfc_dialog_test kelvane_mfc)
# mfc_dialog_test shares the X display one test at a time (see ui.cmake).
