// Salvage over files damaged by each family of the damager: without salvage, the
// first damage ends the read with a description that names the table and the page;
// with it, every row given is a row of the undamaged table, in its order (a long value
// the log reports may read NULL), and where every loss tells its count, the rows
// given and the rows lost add up to the table's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include "platform/jet/file/MdbFile.h"
#include "support/Damager.h"
#include "support/JetWriter.h"

namespace {

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/mdb_salvage_XXXXXX";
    m_path = mkdtemp(tmpl);
  }
  ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
  std::error_code m_ignored;
};

using Rows = std::vector<std::string>;

struct Read {
  std::map<std::string, Rows> tables;
  std::string error;  // the first failure's description
};

Read ReadAll(const std::string& path, std::shared_ptr<jet::SalvageLog> log = nullptr) {
  Read out;
  try {
    auto file = jet::MdbFile::Open(path, {}, log);
    for (const jet::CatalogEntry& e : file->Catalog()) {
      if (e.type != jet::ObjectType::Table && e.type != jet::ObjectType::SystemTable) continue;
      std::vector<jet::ColumnDef> columns;
      Rows& rows = out.tables[e.name];
      try {
        file->FindTable(e.name, nullptr, &columns);
        for (auto scan = file->Scan(e.name); scan->Next();) {
          std::string row;
          for (size_t c = 0; c < columns.size(); ++c) {
            const VARIANT& v = scan->Value(static_cast<int>(c));
            std::string text;
            if (v.vt == (VT_ARRAY | VT_UI1)) text.assign(v.parray.begin(), v.parray.end());
            else VariantToText(v, &text);
            row += std::to_string(v.vt) + ":" + std::to_string(text.size()) + ":" + text;
          }
          rows.push_back(row);
        }
      } catch (const _com_error& err) {
        if (out.error.empty()) out.error = err.Description() + "|";
      }
    }
  } catch (const _com_error& err) {
    out.error = err.Description() + "|";
  }
  return out;
}

// Whether `got` is `seed` with rows left out (and, with nulls, long values made NULL:
// a row then matches the seed row of the same length of every other field).
bool Subsequence(const Rows& got, const Rows& seed, bool nulls) {
  size_t i = 0;
  for (const std::string& r : seed) {
    if (i == got.size()) break;
    if (got[i] == r || (nulls && got[i].find("1:0:") != std::string::npos)) ++i;
  }
  return i == got.size();
}

TEST(MdbSalvage, EveryFamilyLosesOnlyWhatIsDamaged) {
  TempDir dir;
  const std::string seedPath = dir.Path() + "/seed.mdb", copy = dir.Path() + "/copy.mdb";
  std::vector<jetwriter::Table> tables = jetwriter::BigTables(1500);
  for (jetwriter::Table& t : jetwriter::AllTypesTables()) tables.push_back(t);
  jetwriter::WriteJet4(seedPath, tables);
  const Read seed = ReadAll(seedPath);
  ASSERT_EQ(seed.error, "");
  const damager::File file = damager::Load(seedPath);
  for (damager::Family family : damager::kFamilies) {
    const std::vector<uint32_t> targets = damager::Targets(file, family);
    ASSERT_FALSE(targets.empty()) << damager::FamilyName(family);
    for (size_t n = 0; n < targets.size(); n += 1 + targets.size() / 6) {
      damager::File damaged = file;
      damager::Damage(damaged, family, targets[n]);
      damager::Save(damaged, copy);
      const std::string what = std::string(damager::FamilyName(family)) + " at page " + std::to_string(targets[n]);

      const Read plain = ReadAll(copy);
      if (plain.error.empty()) EXPECT_EQ(plain.tables, seed.tables) << what << ": other rows, and no error";
      else EXPECT_NE(plain.error.find(' '), std::string::npos) << what << ": " << plain.error;

      auto log = std::make_shared<jet::SalvageLog>();
      const Read salvaged = ReadAll(copy, log);
      if (family != damager::Family::CatalogPage) {
        EXPECT_EQ(salvaged.error, "") << what;
      }
      EXPECT_FALSE(log->Empty()) << what;
      std::map<std::string, uint64_t> lost;
      std::map<std::string, bool> unknown, nulls;
      for (const jet::SalvageLoss& l : log->Losses()) {
        if (l.records) lost[l.table] += *l.records;
        else unknown[l.table] = true;
        nulls[l.table] |= l.what == jet::SalvageLoss::What::Value;
      }
      // A table whose catalog entry was lost is found by its definition, under the
      // name recovered_PAGE, with its rows (those of undamaged pages).
      std::map<Rows, int> recovered;
      for (const auto& [name, rows] : salvaged.tables)
        if (name.rfind("recovered_", 0) == 0) ++recovered[rows];
      for (const auto& [name, rows] : seed.tables) {
        if (family == damager::Family::CatalogPage && name != "MSysObjects") {
          EXPECT_TRUE(salvaged.tables.count(name) || recovered.count(rows)) << what << ": " << name << " lost";
        }
      }
      for (const auto& [name, rows] : salvaged.tables) {
        if (name.rfind("recovered_", 0) == 0) continue;
        const Rows& original = seed.tables.at(name);
        EXPECT_TRUE(Subsequence(rows, original, nulls[name])) << what << ": " << name;
        if (!unknown[name]) {
          EXPECT_EQ(rows.size() + lost[name], original.size()) << what << ": " << name;
        }
      }
    }
  }
}

TEST(MdbSalvage, AFileCutShortNamesItsLastPageAndSalvageDropsIt) {
  TempDir dir;
  const std::string path = dir.Path() + "/cut.mdb";
  jetwriter::WriteDemoDatabase(path);
  const Read whole = ReadAll(path);
  std::filesystem::resize_file(path, std::filesystem::file_size(path) + 369);  // a page begun, not ended
  const uint32_t page = static_cast<uint32_t>(std::filesystem::file_size(path) / 4096);
  EXPECT_NE(ReadAll(path).error.find(std::to_string(page)), std::string::npos) << ReadAll(path).error;
  auto log = std::make_shared<jet::SalvageLog>();
  const Read salvaged = ReadAll(path, log);
  EXPECT_EQ(salvaged.error, "");
  EXPECT_EQ(salvaged.tables, whole.tables);
  ASSERT_EQ(log->Losses().size(), 1u);
  EXPECT_EQ(log->Losses()[0].what, jet::SalvageLoss::What::FileEnd);
  EXPECT_EQ(log->Losses()[0].page, page);
}

}  // namespace
