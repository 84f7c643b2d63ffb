# The fuzz target over opening, listing, querying and exporting a file (fuzz/).
# Configured with KELVANE_FUZZ (clang; `make fuzz`), it is a libFuzzer binary;
# otherwise it replays the inputs it is given, so it keeps building with the rest
# and a finding can be rerun in the plain build.
add_executable(kelvane_fuzz fuzz/open_and_export.cpp)
target_link_libraries(kelvane_fuzz PRIVATE kelvane_export kelvane_ado)
if(KELVANE_FUZZ)
  target_link_options(kelvane_fuzz PRIVATE -fsanitize=fuzzer)
else()
  target_sources(kelvane_fuzz PRIVATE fuzz/replay_main.cpp)
endif()
