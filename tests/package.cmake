# Installing: the menu's icons beside the program's own; the Debian package made twice,
# read back, checked by lintian, unpacked and started (tests/e2e/, on an X server of
# its own). kelvane-export is packed where the build has it.
kelvane_test(package_icon_test kelvane_dialog)
add_dependencies(package_icon_test kelvane_icons)
add_test(NAME package_deb COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/package_e2e.sh
                                  ${CMAKE_BINARY_DIR} ${PROJECT_VERSION}
                                  $<TARGET_EXISTS:kelvane-export>)
set_tests_properties(package_deb PROPERTIES TIMEOUT 300)
