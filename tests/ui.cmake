# The main window: its start state, mode switch, closing (real widgets under Xvfb),
# and the icon.
kelvane_test(ui_window_test kelvane_dialog)
kelvane_test(ui_closing_test kelvane_dialog)
kelvane_test(ui_icon_test kelvane_dialog)

# Every test of this folder, once all lists are read (deferred, so the lists included
# after this one count too):
# - a box that no ModalScript answers aborts the test instead of waiting for a click
#   (platform/mfc/Modal.h);
# - a test built on the window layer shares the one X display and its keyboard
#   focus, so such tests run one at a time.
function(kelvane_guard_tests)
  get_property(all_tests DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTY TESTS)
  foreach(t IN LISTS all_tests)
    set_property(TEST ${t} APPEND PROPERTY ENVIRONMENT "KELVANE_MODAL_FORBIDDEN=1")
    if(TARGET ${t})
      get_target_property(libs ${t} LINK_LIBRARIES)
      if("kelvane_dialog" IN_LIST libs OR "kelvane_mfc" IN_LIST libs)
        set_property(TEST ${t} APPEND PROPERTY RESOURCE_LOCK x_display)
      endif()
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} CALL kelvane_guard_tests)
