// Currency and Decimal through SQLite as exact BLOBs (ScanState::exactTransport):
// raw statements over the virtual table compare, sort, group and sum them with
// SQLite's own operators and the jet_exact functions, exact to the last place
// over a million rows whose totals a REAL cannot hold; the cursor and the VBA
// functions read them back exactly.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/com/ExactKey.h"
#include "platform/jet/sql/Cursor.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/VirtualTable.h"
#include "platform/jet/vba/Functions.h"
#include "support/JetWriter.h"

namespace {

using jet::AccessType;

constexpr uint64_t kRows = 999999;  // the last amount once less than the others
// Currency 123456789.0123 up to .1122, a thousand amounts; the Decimal (scale 6)
// the same amount in a third of the rows, a tenth of it less some millionths and
// negative in a third, NULL in the rest.
int64_t Cy(uint64_t r) { return 1234567890123 + static_cast<int64_t>(r % 1000); }
bool DecNull(uint64_t r) { return r % 3 == 2; }
int64_t Dec(uint64_t r) { return r % 3 == 0 ? Cy(r) * 100 : -(Cy(r) * 10 + static_cast<int64_t>(r % 100)); }

class ExactTransport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_path = "/tmp/kelvane-exact-" + std::to_string(getpid()) + ".mdb";
    jetwriter::Table t;
    t.name = "Money";
    t.columns = {{"ID", AccessType::LongInteger}, {"Cy", AccessType::Currency}, {"Dec", AccessType::Decimal}};
    t.columns[2].precision = 28;
    t.columns[2].scale = 6;
    t.rowCount = kRows;
    t.row = [](uint64_t r, std::vector<VARIANT>& v) {
      v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
      v[1] = jetwriter::Cy(Cy(r));
      if (!DecNull(r)) v[2] = jetwriter::Dec(Dec(r), 6);
    };
    jetwriter::WriteJet4(s_path, {t});
  }
  static void TearDownTestSuite() { std::remove(s_path.c_str()); }

  void SetUp() override {
    m_state.exactTransport = true;
    ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    ASSERT_TRUE(jet::RegisterVbaFunctions(m_db));
    ASSERT_TRUE(jet::RegisterExactMoney(m_db, &m_state));
    ASSERT_TRUE(jet::RegisterJetModule(m_db, jet::MdbFile::Open(s_path), &m_state));
    ASSERT_EQ(sqlite3_exec(m_db, "CREATE VIRTUAL TABLE Money USING jet", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  void TearDown() override { sqlite3_close(m_db); }

  // The rows, "|" between values and "," between rows; an exact BLOB as its
  // number's text (a BLOB holds no scale: 18.0000 is 18).
  std::string Run(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return sqlite3_errmsg(m_db);
    std::string out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      if (!out.empty()) out += ',';
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        Exact e;
        if (c) out += '|';
        if (ExactOfKey(sqlite3_column_blob(stmt, c), static_cast<size_t>(sqlite3_column_bytes(stmt, c)), &e))
          out += e.Text();
        else if (const unsigned char* text = sqlite3_column_text(stmt, c))
          out += reinterpret_cast<const char*>(text);
        else
          out += "NULL";
      }
    }
    if (rc != SQLITE_DONE) out = sqlite3_errmsg(m_db);
    sqlite3_finalize(stmt);
    return out;
  }

  static std::string s_path;
  jet::ScanState m_state;
  sqlite3* m_db = nullptr;
};
std::string ExactTransport::s_path;

TEST_F(ExactTransport, SqliteComparesSortsGroupsAndSumsExactly) {
  __int128 cySum = 0, decSum = 0;
  int64_t decCount = 0, equal = 0;
  for (uint64_t r = 0; r < kRows; ++r) {
    cySum += Cy(r);
    if (DecNull(r)) continue;
    decSum += Dec(r), ++decCount;
    equal += Dec(r) == Cy(r) * 100;
  }
  const auto text = [](__int128 m, int scale) { return Exact::OfParts(m < 0, m < 0 ? -m : m, scale).Text(); };
  const std::string groups = "1000";
  const struct { const char *sql; std::string rows; } cases[] = {
      // Totals of 19 and 20 digits, which no REAL holds.
      {"select jet_exact_sum(Cy), jet_exact_sum(Dec) from Money", text(cySum, 4) + "|" + text(decSum, 6)},
      {"select jet_exact_text(jet_currency(jet_exact_avg(Cy))) from Money", Exact::OfCurrency(cySum / kRows).Text()},
      {"select jet_exact_avg(Dec) = jet_exact_div(jet_exact_sum(Dec), count(Dec)) from Money", "1"},
      // 18 and 18.0000 alike: Currency equals Decimal where the amounts are equal.
      {"select count(*) from Money where Cy = Dec", std::to_string(equal)},
      {"select count(*) from Money where Cy = jet_exact('123456789.01230')", groups},
      {"select count(*) from Money where Cy > jet_exact(123456789.1121)", "999"},
      {"select count(*) from Money where Dec < jet_exact(0)", std::to_string(decCount - equal)},
      {"select Cy from Money where ID in (3, 1, 1000, 2) order by Cy desc",
       "123456789.1122,123456789.0125,123456789.0124,123456789.0123"},
      {"select Cy, count(*) from Money group by Cy order by Cy limit 2",
       "123456789.0123|" + groups + ",123456789.0124|" + groups},
      {"select count(*) from (select distinct Cy from Money)", "1000"},
      {"select min(Dec), max(Dec), min(Cy), max(Cy) from Money",
       "-12345678.911319|123456789.1122|123456789.0123|123456789.1122"},
      {"select jet_exact_text(jet_exact_mul(Cy, jet_exact(-2))), jet_exact_real(Cy) from Money where ID = 1",
       "-246913578.0246|123456789.0123"},
      {"select jet_exact_neg(jet_exact_sub(Dec, Cy)) from Money where ID = 2", "135802467.913641"},
      {"select vba_cstr(Cy), vba_cdbl(Cy) * 2 from Money where ID = 1", "123456789.0123|246913578.0246"},
      {"select jet_exact(NULL), jet_exact_add(Cy, NULL) from Money where ID = 1", "NULL|NULL"},
      {"select jet_currency(jet_exact('922337203685477.58075'))", "Overflow"},
      {"select jet_exact_div(Cy, 0) from Money where ID = 1", "Division by zero"},
      {"select jet_exact_add(Cy, 'abc') from Money where ID = 1", "Data type mismatch"},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.sql), c.rows) << c.sql;
}

TEST_F(ExactTransport, TheCursorGivesTheVariantsBack) {
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(m_db, "select Cy, Dec, jet_exact_add(Cy, Dec) from Money where ID = 1", -1, &stmt,
                               nullptr),
            SQLITE_OK);
  auto cursor = jet::MakeSqlCursor(nullptr, jet::SqliteStatement(stmt), &m_state);
  const VARIANT cy = cursor->Value(0), dec = cursor->Value(1), sum = cursor->Value(2);
  EXPECT_EQ(cy.vt, VT_CY);
  EXPECT_EQ(cy.cyVal, Cy(0));
  ASSERT_EQ(dec.vt, VT_DECIMAL);
  EXPECT_EQ(dec.decVal.scale, 6);  // the column's, as the file holds it
  EXPECT_EQ(dec.decVal.lo64, static_cast<uint64_t>(Dec(0)));
  std::string text;
  ASSERT_EQ(sum.vt, VT_DECIMAL);  // an expression of no known type
  EXPECT_EQ((VariantToText(sum, &text), text), "246913578.0246");
}

}  // namespace
