// kelvane_make_fixture <out> <kind> [rows] [--version <n>] [--scramble <key>] [--expect <out.json>]
// Writes one of the ready-made fixtures (alltypes, big, demo, edited, accdb), as a Jet 4
// file or, with --version 2 to 6, an ACE one (accdb: 5 unless told), its pages
// scrambled with --scramble; with --expect also writes, as JSON, what the file holds,
// for the cross-check against mdb-reader. `hostile` writes into the folder <out> one
// file of each hostile family (the fuzzer's seeds).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include "support/JetWriter.h"
#include "support/jetwriter/ExpectedJson.h"

int main(int argc, char** argv) {
  std::string out, kind, expect;
  uint64_t rows = 1000000;
  int positional = 0, version = -1;
  uint32_t scramble = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc) { expect = argv[++i]; continue; }
    if (std::strcmp(argv[i], "--version") == 0 && i + 1 < argc) { version = std::atoi(argv[++i]); continue; }
    if (std::strcmp(argv[i], "--scramble") == 0 && i + 1 < argc) {
      scramble = uint32_t(std::strtoul(argv[++i], nullptr, 0));
      continue;
    }
    if (positional == 0) out = argv[i];
    else if (positional == 1) kind = argv[i];
    else rows = std::strtoull(argv[i], nullptr, 10);
    ++positional;
  }
  if (kind == "hostile" && !out.empty()) {
    try {
      for (const jetwriter::HostileFile& f : jetwriter::WriteHostileFiles(out))
        std::fprintf(stderr, "wrote %s (%s)\n", f.path.c_str(), f.family.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
    return 0;
  }
  if (out.empty() || (kind != "alltypes" && kind != "big" && kind != "demo" && kind != "edited" && kind != "accdb") ||
      version == 0 || version > 6) {
    std::fprintf(stderr,
                 "usage: %s <out> alltypes|big|demo|edited|accdb|hostile [rows] [--version 1-6] [--scramble <key>]"
                 " [--expect <out.json>]\n", argv[0]);
    return 2;
  }
  if (version < 0) version = kind == "accdb" ? 5 : 1;
  const jetwriter::FileFormat format{uint8_t(version), scramble};
  try {
    std::vector<jetwriter::Table> tables;
    std::vector<jetwriter::SavedQuery> queries;
    if (kind == "alltypes") { tables = jetwriter::AllTypesTables(); queries = jetwriter::AllTypesQueries(); }
    else if (kind == "big") tables = jetwriter::BigTables(rows);
    else if (kind == "edited") tables = jetwriter::EditedTables();
    else if (kind == "accdb") tables = jetwriter::AccdbTables();
    else { tables = jetwriter::DemoTables(); queries = jetwriter::DemoQueries(); }
    auto start = std::chrono::steady_clock::now();
    jetwriter::WriteJet4(out, tables, queries, format);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "wrote %s in %.2f s\n", out.c_str(), seconds);
    if (!expect.empty()) jetwriter::WriteExpectedJson(expect, tables, queries, format);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
