# The Jet 4 fixture writer (its internals live in support/jetwriter/), its tests, and
# the tool that writes fixtures for the demo, the benchmarks and the cross-check.
file(GLOB jetwriter_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/jetwriter/*.cpp)
list(FILTER jetwriter_sources EXCLUDE REGEX "make_fixture\\.cpp$")
target_sources(kelvane_testsupport PRIVATE ${jetwriter_sources})

add_executable(kelvane_make_fixture support/jetwriter/make_fixture.cpp)
target_link_libraries(kelvane_make_fixture PRIVATE kelvane_testsupport)
set_target_properties(kelvane_make_fixture PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

kelvane_test(jet_writer_test PkgConfig::MDB)

# The fixtures read back by mdb-reader (node), an independent reader.
add_test(NAME jet_writer_crosscheck
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/crosscheck/run.sh
                 $<TARGET_FILE:kelvane_make_fixture> ${CMAKE_BINARY_DIR}/crosscheck
                 ${CMAKE_BINARY_DIR}/crosscheck-npm.lock)
set_tests_properties(jet_writer_crosscheck PROPERTIES TIMEOUT 600)

# The damager's measurement of salvage over real files (not a test: run by hand).
add_executable(kelvane_salvage_measure support/damager/salvage_measure.cpp)
target_link_libraries(kelvane_salvage_measure PRIVATE kelvane_testsupport)
set_target_properties(kelvane_salvage_measure PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_executable(kelvane_damage support/damager/damage_main.cpp)
target_link_libraries(kelvane_damage PRIVATE kelvane_testsupport)
set_target_properties(kelvane_damage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
