# src/db: the operation frame, the source file and table list, the query builder and
# the preview grid, tested through the real main dialog (xvfb-run -a ctest).
foreach(stem db_query_test db_tables_test db_preview_test db_frame_test db_alive_test)
  kelvane_test(${stem} kelvane_dialog)
  # One X display for every dialog test: one at a time, and no box may ever wait.
  set_tests_properties(${stem} PROPERTIES RESOURCE_LOCK x_display
                       ENVIRONMENT "KELVANE_MODAL_FORBIDDEN=1")
endforeach()
# The ping and the close box come from a window manager of the test's own (Xlib).
target_link_libraries(db_alive_test PRIVATE X11)
