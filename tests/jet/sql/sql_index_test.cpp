// Lookups the virtual table serves from the index it builds must give what a full
// scan gives: each statement runs once with its comparisons on plain columns
// (served) and once with `+` before them, which keeps SQLite from handing them
// to the table (scanned). The file has moved and deleted rows, NULL keys, texts
// equal without regard to case and width, and Currency, Date and Double keys
// (0 and -0 among them).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/Provider.h"
#include "support/FakeMdbFile.h"
#include "support/JetWriter.h"

namespace {

using jet::AccessType;
using Rows = std::vector<std::string>;

std::vector<jetwriter::Table> Tables() {
  const char* names[] = {"NAME", "name", "Name", "ＡＢＣ", "abc", "Émile", "emile", "名字", "co-op", "coop"};
  jetwriter::Table k;
  k.name = "Keys";
  k.columns = {{"ID", AccessType::LongInteger}, {"Name", AccessType::Text, 20}, {"Cy", AccessType::Currency},
               {"Dt", AccessType::DateTime}, {"Dbl", AccessType::Double}};
  k.rowCount = 700;
  k.row = [names](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    if (r % 11) v[1] = VARIANT::Str(names[r % 10] + std::to_string(r % 3));
    if (r % 13) v[2] = jetwriter::Cy(static_cast<int64_t>(r % 40) * 25000);
    v[3] = jetwriter::Date(36526 + static_cast<double>(r % 30) + (r % 3) * 0.25);
    v[4] = VARIANT::R8(r % 50 == 7 ? -0.0 : static_cast<double>(r % 25) * 0.1);
  };
  k.deleted = [](uint64_t r) { return r % 7 == 3; };
  k.overflow = [](uint64_t r) { return r % 5 == 1; };
  jetwriter::Table f;
  f.name = "Refs";
  f.columns = {{"RID", AccessType::LongInteger}, {"KID", AccessType::LongInteger}, {"KName", AccessType::Text, 20},
               {"KCy", AccessType::Currency}, {"KDt", AccessType::DateTime}, {"KDbl", AccessType::Double}};
  f.rowCount = 150;
  f.row = [names](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    if (r % 9) v[1] = VARIANT::I4(static_cast<int32_t>(r * 5 % 760));
    if (r % 10) v[2] = VARIANT::Str(names[(r + 1) % 10] + std::to_string(r % 4));
    if (r % 8) v[3] = jetwriter::Cy(static_cast<int64_t>(r % 45) * 25000);
    v[4] = jetwriter::Date(36520 + static_cast<double>(r % 40) + (r % 4) * 0.25);
    v[5] = VARIANT::R8(static_cast<double>(r % 30) * 0.1);
  };
  return {k, f};
}

// `@` marks a column the table may be asked to look up by.
const char* kStatements[] = {
    "select k.ID from Keys k where exists (select * from Refs r where @r.KID = @k.ID)",
    "select k.ID from Keys k where not exists (select * from Refs r where @r.KName = @k.Name)",
    "select r.RID from Refs r where @r.KID in (select k.ID from Keys k where k.Cy > 50)",
    "select r.RID from Refs r where @r.KID not in (select k.ID from Keys k where k.Dbl > 1)",
    "select k.ID from Keys k where @k.Name in ('NAME1', 'name2', 'abc0', 'nothing', 'EMILE1', 'CO-OP2')",
    "select k.ID from Keys k where @k.Dbl in (0, 0.5, 2.4)",
    "select k.ID from Keys k where @k.Name = @'abc1'",  // Jet takes +text for a number: both sides
    "select k.ID, r.RID from Keys k inner join Refs r on @k.Name = @r.KName",
    "select k.ID, r.RID from Keys k inner join Refs r on @k.Cy = @r.KCy",
    "select k.ID, r.RID from Keys k inner join Refs r on @r.KDt = @k.Dt",
    "select k.ID, r.RID from Keys k inner join Refs r on @k.Dbl = @r.KDbl",
    "select r.RID, (select max(k.Dt) from Keys k where @k.Cy = @r.KCy) from Refs r",
    "select r.RID, (select count(*) from Keys k where @k.Dt >= @r.KDt and @k.Dt < @r.KDt + 1) from Refs r",
    "select a.ID, b.ID from Keys a inner join Keys b on @a.Name = @b.Name where a.ID < b.ID and "
    "exists (select * from Keys c where @c.Cy = @a.Cy and c.ID <> a.ID)",
};

std::string Statement(std::string sql, bool served) {
  for (size_t at; (at = sql.find('@')) != std::string::npos;) sql.replace(at, 1, served ? "" : "+");
  return sql;
}

Rows Results(jet::Database& db, const std::string& sql) {
  Rows rows;
  for (auto c = db.Execute(sql); !c->Eof(); c->MoveNext()) {
    std::string row;
    for (int i = 0; i < c->ColumnCount(); ++i) {
      std::string text;
      const VARIANT v = c->Value(i);
      row += (v.vt == VT_NULL ? "NULL" : VariantToText(v, &text) == S_OK ? text : "?") + "|";
    }
    rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());  // SQLite may read a lookup's rows in another order
  return rows;
}

TEST(SqlIndex, LookupsGiveWhatScansGive) {
  const std::string path = "/tmp/sql_index_test_" + std::to_string(getpid()) + ".mdb";
  jetwriter::WriteJet4(path, Tables());
  auto db = jet::Database::Open(path);
  for (const char* s : kStatements) {
    const Rows served = Results(*db, Statement(s, true)), scanned = Results(*db, Statement(s, false));
    EXPECT_FALSE(scanned.empty()) << s;
    EXPECT_EQ(served, scanned) << s;
  }
  std::remove(path.c_str());
}

// Correlated subqueries read each table a few times, not once per outer row.
TEST(SqlIndex, CorrelatedSubqueriesReadEachTableAFewTimes) {
  auto file = std::make_shared<fake::MdbFile>();
  for (const char* name : {"a", "b"}) {
    fake::Table t;
    t.name = name;
    t.columns = {{"id", AccessType::LongInteger}, {"v", AccessType::Text}};
    t.generatedRows = 2000;
    t.generate = [](long long r, std::vector<VARIANT>* v) {
      (*v)[0] = VARIANT::I4(static_cast<int32_t>(r * 3 % 2500));
      (*v)[1] = VARIANT::Str("v" + std::to_string(r % 300));
    };
    file->Add(t);
  }
  auto db = jet::Database::OpenOver(file);
  const struct {
    const char* sql;
    long expected;
  } cases[] = {
      {"select count(*) from a where exists (select * from b where b.id = a.id + 1)", 1499},
      {"select count(*) from a where not exists (select * from b where b.v = a.v & '')", 0},
      {"select count(*) from a where (select max(b.id) from b where b.v = a.v) > 2000", 1597},
  };
  for (const auto& c : cases) {
    const long long before = file->nextCalls();
    EXPECT_EQ(db->Execute(c.sql)->Value(0).lVal, c.expected) << c.sql;
    EXPECT_LE(file->nextCalls() - before, 3 * 2001) << c.sql;
  }
}

}  // namespace
