# The export through the dialog's operation frame on a shown window, with and without
# the records hook that keeps the window alive (needs a display).
add_executable(bench_alive bench_alive.cpp)
target_link_libraries(bench_alive PRIVATE kelvane_dialog kelvane_testsupport)
set_target_properties(bench_alive PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
