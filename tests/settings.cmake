# The settings load and save, through the real dialog under Xvfb.
kelvane_test(settings_dialog_test kelvane_dialog)
# Dialog tests share the one X display: one at a time, so no other test's window
# takes the focus; a box the script does not answer is refused, never waited on.
set_tests_properties(settings_dialog_test PROPERTIES RESOURCE_LOCK x_display
                     ENVIRONMENT "KELVANE_MODAL_FORBIDDEN=1")
