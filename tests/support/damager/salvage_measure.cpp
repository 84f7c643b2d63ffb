// kelvane_salvage_measure <file>... : damages copies of each file (in $TMPDIR), one
// page at a time, by each family, and reads every user table of each copy with and
// without salvage. Prints per family the median share of the rows recovered (of the
// rows not on the damaged page), and counts rows invented or altered (a salvaged
// table that is not a subsequence of the undamaged one), losses that do not add up,
// and failures without salvage whose message names no table or page.
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>
#include "platform/com/Variant.h"
#include "platform/jet/file/MdbFile.h"
#include "support/Damager.h"

namespace {

using Rows = std::vector<std::string>;

std::string RowText(jet::RowStream& rows, size_t columns) {
  std::string text;
  for (size_t c = 0; c < columns; ++c) {
    const VARIANT& v = rows.Value(static_cast<int>(c));
    text += std::to_string(v.vt) + ":";
    if (v.vt == (VT_ARRAY | VT_UI1)) {
      static const char kHex[] = "0123456789abcdef";
      for (uint8_t b : v.parray) { text += kHex[b >> 4]; text += kHex[b & 15]; }
    }
    else if (v.vt != VT_NULL) { std::string t; VariantToText(v, &t); text += t; }
    text += '\t';
  }
  return text;
}

// Every user table's rows; a table that fails ends with its rows so far and *error.
std::map<std::string, Rows> ReadTables(const std::string& path, std::shared_ptr<jet::SalvageLog> log,
                                       std::string* error) {
  std::map<std::string, Rows> out;
  try {
    auto file = jet::MdbFile::Open(path, {}, log);
    for (const jet::CatalogEntry& e : file->Catalog()) {
      if (e.type != jet::ObjectType::Table) continue;
      Rows& rows = out[e.name];
      try {
        std::vector<jet::ColumnDef> columns;
        if (!file->FindTable(e.name, nullptr, &columns)) continue;
        auto scan = file->Scan(e.name);
        while (scan->Next()) rows.push_back(RowText(*scan, columns.size()));
      } catch (const _com_error& err) {
        if (error && error->empty()) *error = err.Description().empty() ? "(none)" : err.Description();
      }
    }
  } catch (const _com_error& err) {
    if (error && error->empty()) *error = "open: " + (err.Description().empty() ? "(none)" : err.Description());
  }
  return out;
}

// A salvaged row matches its undamaged row field by field; with `nulls`, a NULL
// (a long value the log reports) matches any value.
bool SameRow(const std::string& got, const std::string& seed, bool nulls) {
  if (got == seed) return true;
  if (!nulls) return false;
  size_t g = 0, s = 0;
  while (g < got.size() && s < seed.size()) {
    const size_t ge = got.find('\t', g), se = seed.find('\t', s);
    if (ge == std::string::npos || se == std::string::npos) return false;
    if (got.compare(g, ge - g, "1:") != 0 && got.compare(g, ge - g, seed, s, se - s) != 0) return false;
    g = ge + 1;
    s = se + 1;
  }
  return g == got.size() && s == seed.size();
}

bool Subsequence(const Rows& part, const Rows& whole, bool nulls) {
  size_t i = 0;
  for (const std::string& r : whole) if (i < part.size() && SameRow(part[i], r, nulls)) ++i;
  return i == part.size();
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = getenv("TMPDIR");
  const std::string copy = std::string(tmp ? tmp : "/tmp") + "/salvage-measure-" + std::to_string(getpid()) + ".mdb";
  const size_t maxTargets = getenv("MAX_TARGETS") ? std::strtoul(getenv("MAX_TARGETS"), nullptr, 10) : 40;
  for (int a = 1; a < argc; ++a) {
    damager::File seedFile;
    try { seedFile = damager::Load(argv[a]); } catch (const std::exception& e) { std::printf("%s\n", e.what()); continue; }
    std::string seedError;
    const auto seed = ReadTables(argv[a], nullptr, &seedError);
    if (!seedError.empty()) { std::printf("%s: seed fails: %s\n", argv[a], seedError.c_str()); continue; }
    for (damager::Family family : damager::kFamilies) {
      std::vector<uint32_t> targets = damager::Targets(seedFile, family);
      if (targets.size() > maxTargets) {  // spread over the file
        std::vector<uint32_t> some;
        for (size_t i = 0; i < maxTargets; ++i) some.push_back(targets[i * targets.size() / maxTargets]);
        targets = some;
      }
      std::vector<double> shares;
      int invented = 0, unsummed = 0, unnamed = 0, silent = 0, copies = 0;
      for (uint32_t target : targets) {
        damager::File f = seedFile;
        try { damager::Damage(f, family, target); } catch (const std::exception&) { continue; }
        damager::Save(f, copy);
        ++copies;
        std::string plainError;
        const auto plain = ReadTables(copy, nullptr, &plainError);
        if (!plainError.empty() && (plainError.find(' ') == std::string::npos || plainError == "(none)")) ++unnamed;
        if (plainError.empty() && plain != seed) ++silent;
        auto log = std::make_shared<jet::SalvageLog>();
        std::string salvageError;
        const auto salvaged = ReadTables(copy, log, &salvageError);
        std::map<std::string, uint64_t> lost;
        std::map<std::string, bool> unknown, nulls;
        for (const jet::SalvageLoss& l : log->Losses()) {
          if (l.records) lost[l.table] += *l.records; else unknown[l.table] = true;
          if (l.what == jet::SalvageLoss::What::Value) nulls[l.table] = true;
        }
        const uint32_t owner = damager::OwnerOf(seedFile, target);
        for (const auto& [name, rows] : seed) {
          auto it = salvaged.find(name);
          const Rows none;
          const Rows& got = it == salvaged.end() ? none : it->second;
          if (!Subsequence(got, rows, nulls[name])) { ++invented; std::printf("  INVENTED %s %s page %u table %s\n", argv[a], damager::FamilyName(family), target, name.c_str()); }
          if (!unknown[name] && got.size() + lost[name] != rows.size() && it != salvaged.end()) {
            ++unsummed;
            std::printf("  UNSUMMED %s %s page %u table %s: %zu + %llu != %zu\n", argv[a], damager::FamilyName(family), target,
                        name.c_str(), got.size(), (unsigned long long)lost[name], rows.size());
          }
        }
        // The share, for the table the damaged data page belonged to.
        if (family == damager::Family::ZeroedPage || family == damager::Family::RowOffsets ||
            family == damager::Family::SwappedPage) {
          const uint32_t onPage = damager::LiveRows(seedFile, target);
          for (const auto& [name, rows] : seed) {
            (void)name;
            (void)owner;
          }
          // The table whose rows shrank most is the damaged one.
          double share = 1;
          for (const auto& [name, rows] : seed) {
            auto it = salvaged.find(name);
            if (it == salvaged.end() || it->second.size() >= rows.size()) continue;
            const double undamaged = rows.size() > onPage ? double(rows.size() - onPage) : 1;
            share = std::min(share, std::min(1.0, double(it->second.size()) / undamaged));
          }
          shares.push_back(share);
        }
        if (!salvageError.empty()) std::printf("  salvage error %s %s page %u: %s\n", argv[a], damager::FamilyName(family), target, salvageError.c_str());
      }
      std::sort(shares.begin(), shares.end());
      std::printf("%s | %s | copies %d | median recovered %s | invented %d | unsummed %d | unnamed %d | silent %d\n",
                  argv[a], damager::FamilyName(family), copies,
                  shares.empty() ? "-" : std::to_string(shares[shares.size() / 2] * 100).substr(0, 5).c_str(),
                  invented, unsummed, unnamed, silent);
    }
  }
  unlink(copy.c_str());
  return 0;
}
