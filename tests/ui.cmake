# The main window: its start state, mode switch, closing (real widgets under Xvfb),
# and the icon.
kelvane_test(ui_window_test kelvane_dialog)
kelvane_test(ui_closing_test kelvane_dialog)
kelvane_test(ui_icon_test kelvane_dialog)
# Window tests take the keyboard focus of the one shared X display: one at a time.
set_tests_properties(ui_window_test ui_closing_test PROPERTIES RESOURCE_LOCK x_display)

# No test may wait on a box nobody can answer: in every test of this folder a box
# that no ModalScript answers aborts the test (platform/mfc/Modal.h). Deferred so
# that it reaches the tests of the lists included after this one too.
function(kelvane_forbid_unscripted_boxes)
  get_property(all_tests DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTY TESTS)
  foreach(t IN LISTS all_tests)
    set_property(TEST ${t} APPEND PROPERTY ENVIRONMENT "KELVANE_MODAL_FORBIDDEN=1")
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} CALL kelvane_forbid_unscripted_boxes)
