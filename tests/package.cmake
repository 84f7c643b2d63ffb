# The Debian package made, read back, unpacked and started (tests/e2e/); it starts
# its own X server, like e2e_export.
add_test(NAME package_deb
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/package_e2e.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(package_deb PROPERTIES TIMEOUT 180)

kelvane_test(package_icon_test kelvane_dialog)
add_dependencies(package_icon_test kelvane_icons)
