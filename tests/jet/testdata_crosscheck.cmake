# Every value of every user table of the real Access files, read by our reader
# (kelvane_mdb_dump) and by mdb-reader (node), compared.
add_executable(kelvane_mdb_dump jet/file/mdb_dump_main.cpp)
target_link_libraries(kelvane_mdb_dump PRIVATE kelvane_jet_file)
set_target_properties(kelvane_mdb_dump PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_test(NAME testdata_crosscheck
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/crosscheck/testdata_check.sh
                 $<TARGET_FILE:kelvane_mdb_dump> ${KELVANE_SHARED}/testdata
                 ${CMAKE_BINARY_DIR}/testdata_crosscheck ${CMAKE_BINARY_DIR}/crosscheck-npm.lock)
set_tests_properties(testdata_crosscheck PROPERTIES TIMEOUT 600)
