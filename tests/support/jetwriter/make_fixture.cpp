// kelvane_make_fixture <out.mdb> <kind> [rows] [--expect <out.json>]
// Writes one of the ready-made fixtures (alltypes, big, demo, edited); with --expect also
// writes, as JSON, what the file holds, for the cross-check against mdb-reader.
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
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc) { expect = argv[++i]; continue; }
    if (positional == 0) out = argv[i];
    else if (positional == 1) kind = argv[i];
    else rows = std::strtoull(argv[i], nullptr, 10);
    ++positional;
  }
  if (out.empty() || (kind != "alltypes" && kind != "big" && kind != "demo" && kind != "edited")) {
    std::fprintf(stderr, "usage: %s <out.mdb> alltypes|big|demo|edited [rows] [--expect <out.json>]\n", argv[0]);
    return 2;
  }
  try {
    std::vector<jetwriter::Table> tables;
    std::vector<jetwriter::SavedQuery> queries;
    if (kind == "alltypes") { tables = jetwriter::AllTypesTables(); queries = jetwriter::AllTypesQueries(); }
    else if (kind == "big") tables = jetwriter::BigTables(rows);
    else if (kind == "edited") tables = jetwriter::EditedTables();
    else { tables = jetwriter::DemoTables(); queries = jetwriter::DemoQueries(); }
    auto start = std::chrono::steady_clock::now();
    jetwriter::WriteJet4(out, tables, queries);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "wrote %s in %.2f s\n", out.c_str(), seconds);
    if (!expect.empty()) jetwriter::WriteExpectedJson(expect, tables, queries);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
