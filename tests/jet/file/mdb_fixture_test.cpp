// The reader over files of our own Jet 4 writer, plain and with Jet's page
// scrambling: every value of every table must read back as the writer's generators
// gave it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "support/JetWriter.h"

namespace {

using jet::AccessType;

std::string TempPath(const char* stem) {
  return "/tmp/" + std::string(stem) + "_" + std::to_string(getpid()) + ".mdb";
}

std::string Upper(std::string s) {
  for (char& c : s) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Two decimals are equal when they are at a common scale (at most 28 - a few digits,
// so 128 bits hold the rescaled magnitudes of the values written here).
bool SameDecimal(const DECIMAL& a, const DECIMAL& b) {
  auto signedAt = [](const DECIMAL& d, int scale) {
    __int128 v = (static_cast<__int128>(d.hi32) << 64) | d.lo64;
    for (int s = d.scale; s < scale; ++s) v *= 10;
    return d.negative ? -v : v;
  };
  const int scale = std::max(a.scale, b.scale);
  return signedAt(a, scale) == signedAt(b, scale);
}

// A Date/Time Extended written as "yyyy-mm-dd hh:mm:ss[.fffffff]" reads as a
// VT_DATE when one holds it (years 100 on, whole seconds), else as the text
// "yyyy/M/d H:mm:ss.fffffff" with the fraction's trailing zeros dropped.
void ExpectExtendedDate(const std::string& written, const VARIANT& got) {
  int y, mo, d, h, mi, s, used = 0;
  ASSERT_EQ(std::sscanf(written.c_str(), "%d-%d-%d %d:%d:%d%n", &y, &mo, &d, &h, &mi, &s, &used), 6);
  std::string fraction = written.substr(static_cast<size_t>(used));
  while (!fraction.empty() && (fraction.back() == '0' || fraction.back() == '.')) fraction.pop_back();
  if (y >= 100 && fraction.empty()) {
    ASSERT_EQ(got.vt, VT_DATE);
    EXPECT_EQ(got.date, jetwriter::DayNumber(y, mo, d, h, mi, s));
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%d/%d %d:%02d:%02d", y, mo, d, h, mi, s);
  ASSERT_EQ(got.vt, VT_BSTR);
  EXPECT_EQ(got.bstrVal, text + fraction);
}

// Compares one value read with the one written, by the column's type.
void ExpectSame(const jetwriter::Column& col, const VARIANT& written, const VARIANT& got,
                const std::string& where) {
  SCOPED_TRACE(where);
  const bool isNull = written.vt == VT_NULL || written.vt == VT_EMPTY;
  if (col.type == AccessType::Boolean) {
    ASSERT_EQ(got.vt, VT_BOOL);
    EXPECT_EQ(got.boolVal, isNull ? VARIANT_FALSE : written.boolVal);
    return;
  }
  if (isNull) {
    EXPECT_EQ(got.vt, VT_NULL);
    return;
  }
  switch (col.type) {
    case AccessType::Text: case AccessType::Memo:
      ASSERT_EQ(got.vt, VT_BSTR);
      EXPECT_EQ(got.bstrVal, written.bstrVal);
      break;
    case AccessType::ReplicationId:
      ASSERT_EQ(got.vt, VT_BSTR);
      EXPECT_EQ(got.bstrVal, Upper(written.bstrVal));
      break;
    case AccessType::Byte: ASSERT_EQ(got.vt, VT_UI1); EXPECT_EQ(got.bVal, written.bVal); break;
    case AccessType::Integer: ASSERT_EQ(got.vt, VT_I2); EXPECT_EQ(got.iVal, written.iVal); break;
    case AccessType::LongInteger: ASSERT_EQ(got.vt, VT_I4); EXPECT_EQ(got.lVal, written.lVal); break;
    case AccessType::Single: ASSERT_EQ(got.vt, VT_R4); EXPECT_EQ(got.fltVal, written.fltVal); break;
    case AccessType::Double: ASSERT_EQ(got.vt, VT_R8); EXPECT_EQ(got.dblVal, written.dblVal); break;
    case AccessType::Currency: ASSERT_EQ(got.vt, VT_CY); EXPECT_EQ(got.cyVal, written.cyVal); break;
    case AccessType::DateTime: ASSERT_EQ(got.vt, VT_DATE); EXPECT_EQ(got.date, written.date); break;
    case AccessType::Decimal:
      ASSERT_EQ(got.vt, VT_DECIMAL);
      EXPECT_EQ(got.decVal.scale, col.scale);
      EXPECT_TRUE(SameDecimal(got.decVal, written.decVal));
      break;
    case AccessType::OleObject: case AccessType::Binary:
      ASSERT_EQ(got.vt, VT_ARRAY | VT_UI1);
      EXPECT_EQ(got.parray, written.parray);
      break;
    default:
      if (col.type == jetwriter::kBigInt) {
        ASSERT_EQ(got.vt, VT_I8);
        EXPECT_EQ(got.llVal, written.llVal);
      } else if (col.type == jetwriter::kDateTimeExtended) {
        ExpectExtendedDate(written.bstrVal, got);
      } else {
        FAIL() << "unexpected type";
      }
  }
}

class FixtureFile : public ::testing::TestWithParam<jetwriter::FileFormat> {
 protected:
  void SetUp() override {
    path_ = TempPath("mdb_fixture_test");
    jetwriter::WriteJet4(path_, jetwriter::AllTypesTables(), jetwriter::AllTypesQueries(), GetParam());
  }
  void TearDown() override { unlink(path_.c_str()); }
  std::string path_;
};
INSTANTIATE_TEST_SUITE_P(PlainAndScrambled, FixtureFile,
                         ::testing::Values(jetwriter::kJet4, jetwriter::FileFormat{1, 0x6B39DAC7}));

TEST_P(FixtureFile, CatalogListsTablesSystemTablesAndQueries) {
  auto f = jet::MdbFile::Open(path_);
  EXPECT_EQ(f->JetVersion(), 4);
  std::map<std::string, jet::ObjectType> cat;
  for (const auto& e : f->Catalog()) cat[e.name] = e.type;
  for (const auto& t : jetwriter::AllTypesTables())
    EXPECT_EQ(cat[t.name], t.system ? jet::ObjectType::SystemTable : jet::ObjectType::Table) << t.name;
  for (const auto& b : jetwriter::BuiltInSystemTables())
    EXPECT_EQ(cat[b.name], jet::ObjectType::SystemTable) << b.name;
  for (const auto& q : jetwriter::AllTypesQueries())
    EXPECT_EQ(cat[q.name], jet::ObjectType::View) << q.name;
}

// Every value of every table of `tables` in the file at `path`. A complex column's
// value is its entries' texts joined by ", " (NULL for none).
void ExpectTablesReadBack(const std::string& path, const std::vector<jetwriter::Table>& tables) {
  auto f = jet::MdbFile::Open(path);
  for (const jetwriter::Table& t : tables) {
    SCOPED_TRACE(t.name);
    std::string exact;
    std::vector<jet::ColumnDef> cols;
    ASSERT_TRUE(f->FindTable(t.name, &exact, &cols));
    ASSERT_EQ(cols.size(), t.columns.size());
    for (size_t c = 0; c < cols.size(); ++c) {
      EXPECT_EQ(cols[c].name, t.columns[c].name);
      EXPECT_EQ(cols[c].type, t.columns[c].type);
    }
    auto rows = f->Scan(exact);
    uint64_t r = 0;
    std::vector<VARIANT> written(cols.size());
    for (; rows->Next(); ++r) {
      ASSERT_LT(r, t.rowCount);
      std::fill(written.begin(), written.end(), VARIANT());
      t.row(r, written);
      for (size_t c = 0; c < cols.size(); ++c) {
        jetwriter::Column col = t.columns[c];
        if (col.type == jetwriter::kComplex) {
          std::string text;
          for (const std::string& e : t.entries(r, c)) text += (text.empty() ? "" : ", ") + e;
          written[c] = text.empty() ? VARIANT::Null() : VARIANT::Str(text);
          col.type = AccessType::Text;
        }
        ExpectSame(col, written[c], rows->Value(static_cast<int>(c)),
                   "row " + std::to_string(r) + " column " + t.columns[c].name);
      }
    }
    EXPECT_EQ(r, t.rowCount);
  }
}

TEST_P(FixtureFile, EveryValueReadsBackAsWritten) {
  ExpectTablesReadBack(path_, jetwriter::AllTypesTables());
}

// The writer's .accdb in the first and last versions: the new types, calculated
// results and complex columns read back; the tables behind the complex columns are
// system tables.
class AccdbFile : public ::testing::TestWithParam<uint8_t> {};
INSTANTIATE_TEST_SUITE_P(Versions, AccdbFile, ::testing::Values(2, 6));

TEST_P(AccdbFile, EveryValueReadsBackAsWritten) {
  const std::string path = TempPath("mdb_fixture_accdb");
  jetwriter::WriteAccdbFixture(path, jetwriter::FileFormat{GetParam(), 0});
  ExpectTablesReadBack(path, jetwriter::AccdbTables());
  std::map<jet::ObjectType, int> kinds;
  for (const auto& e : jet::MdbFile::Open(path)->Catalog()) ++kinds[e.type];
  EXPECT_EQ(kinds[jet::ObjectType::Table], 2);
  EXPECT_EQ(kinds[jet::ObjectType::SystemTable], 4 + 4 + 3);  // built-in, complex-column, hidden
  unlink(path.c_str());
}

TEST_P(FixtureFile, SavedQueriesRebuildTheirSql) {
  auto f = jet::MdbFile::Open(path_);
  for (const auto& q : jetwriter::AllTypesQueries()) EXPECT_EQ(f->SavedQuerySql(q.name), q.sql);
  EXPECT_EQ(f->SavedQuerySql("AllTypes"), "");  // a table is no query
}

// No value is ever cut: a memo of over a megabyte (characters of 1 to 4 UTF-8 bytes,
// so also past U+FFFF) and an OLE value of a megabyte full of zero bytes.
TEST(MdbFixture, MegabyteValuesComeOutWhole) {
  std::string memo;
  while (memo.size() < 1200000) memo += "memo 备注 \xF0\x9F\x98\x80 ";
  std::vector<uint8_t> ole(1 << 20);
  for (size_t i = 0; i < ole.size(); ++i) ole[i] = static_cast<uint8_t>(i % 3 == 0 ? 0 : i * 31);
  jetwriter::Table t;
  t.name = "Long";
  t.columns = {{"Memo", AccessType::Memo}, {"Ole", AccessType::OleObject}};
  t.rowCount = 2;
  t.row = [&](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = r == 0 ? VARIANT::Str(memo) : VARIANT::Str("");
    v[1] = r == 0 ? jetwriter::Bin(ole) : VARIANT::Null();
  };
  const std::string path = TempPath("mdb_fixture_long");
  jetwriter::WriteJet4(path, {t});
  auto f = jet::MdbFile::Open(path);
  auto rows = f->Scan("Long");
  ASSERT_TRUE(rows->Next());
  EXPECT_EQ(rows->Value(0).bstrVal.size(), memo.size());
  EXPECT_TRUE(rows->Value(0).bstrVal == memo);
  EXPECT_TRUE(rows->Value(1).parray == ole);
  ASSERT_TRUE(rows->Next());
  EXPECT_EQ(rows->Value(0).vt, VT_BSTR);  // empty, not NULL
  EXPECT_EQ(rows->Value(0).bstrVal, "");
  EXPECT_EQ(rows->Value(1).vt, VT_NULL);
  EXPECT_FALSE(rows->Next());
  unlink(path.c_str());
}

// Many pages: every row arrives once, in order, with its values.
TEST(MdbFixture, ManyPages) {
  const std::string path = TempPath("mdb_fixture_big");
  const uint64_t n = 50000;
  jetwriter::WriteBigFixture(path, n);
  auto f = jet::MdbFile::Open(path);
  const jetwriter::Table t = jetwriter::BigTables(n)[0];
  std::vector<jet::ColumnDef> cols;
  ASSERT_TRUE(f->FindTable(t.name, nullptr, &cols));
  auto rows = f->Scan(t.name);
  std::vector<VARIANT> written(cols.size());
  uint64_t r = 0;
  for (; rows->Next(); ++r) {
    if (r % 997 != 0 && r + 1 != n) {
      ASSERT_EQ(rows->Value(0).lVal, static_cast<int32_t>(r + 1));
      continue;
    }
    std::fill(written.begin(), written.end(), VARIANT());
    t.row(r, written);
    for (size_t c = 0; c < cols.size(); ++c)
      ExpectSame(t.columns[c], written[c], rows->Value(static_cast<int>(c)), "row " + std::to_string(r));
  }
  EXPECT_EQ(r, n);
  unlink(path.c_str());
}

}  // namespace
