// The fixture writer's files, read back through libmdb: the catalog, every table's
// columns, and every value the generators gave, compared with libmdb's own
// decoding (bound text, cracked fields, long-value chains).
#include <gtest/gtest.h>
#include <mdbtools.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include "support/JetWriter.h"

using namespace jetwriter;
using T = jet::AccessType;

namespace {

std::string TempPath(const std::string& name) {
  return std::string(KELVANE_BINARY_DIR) + "/jet_writer_test_" + std::to_string(getpid()) + "_" + name;
}

// Opens a file with libmdb and reads its catalog; closes on destruction.
struct Mdb {
  MdbHandle* h = nullptr;
  explicit Mdb(const std::string& path) {
    h = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (h) mdb_read_catalog(h, MDB_ANY);
    if (h) mdb_set_bind_size(h, 1 << 20);  // whole memos, not libmdb's default 16 KB
  }
  ~Mdb() { if (h) mdb_close(h); }
  MdbCatalogEntry* Entry(const std::string& name) const {
    for (unsigned i = 0; i < h->num_catalog; ++i) {
      auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(h->catalog, i));
      if (name == e->object_name) return e;
    }
    return nullptr;
  }
};

// libmdb's texts for characters past U+FFFF: one '?' per UTF-16 unit.
std::string AsLibmdbText(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    if ((unsigned char)s[i] >= 0xF0) { out += "??"; i += 4; }
    else out += s[i++];
  }
  return out;
}

std::string CurrencyText(int64_t cy) {
  unsigned long long m = cy < 0 ? 0ull - (unsigned long long)cy : (unsigned long long)cy;
  char b[40];
  std::snprintf(b, sizeof b, "%s%llu.%04llu", cy < 0 ? "-" : "", m / 10000, m % 10000);
  return b;
}

// A Decimal as libmdb prints it: rescaled to the column's scale, all its decimals.
std::string DecimalText(const DECIMAL& d, int scale) {
  unsigned __int128 m = ((unsigned __int128)d.hi32 << 64) | d.lo64;
  for (int s = d.scale; s < scale; ++s) m *= 10;
  std::string digits;
  do { digits.insert(digits.begin(), char('0' + int(m % 10))); m /= 10; } while (m);
  while (digits.size() <= size_t(scale)) digits.insert(digits.begin(), '0');
  if (scale) digits.insert(digits.end() - scale, '.');
  return (d.negative && (d.hi32 || d.lo64) ? "-" : "") + digits;
}

// libmdb prints a GUID without the dash before its last 12 digits.
std::string GuidText(std::string g) {
  for (char& c : g) c = char(std::toupper((unsigned char)c));
  return g.erase(24, 1);
}

template <typename V>
V Raw(const MdbField& f) {
  V v;
  std::memcpy(&v, f.value, sizeof v);
  return v;
}

// Reads every row of `t` back from the file and compares it with the generator.
void ExpectTableReadsBack(const Mdb& mdb, const Table& t) {
  SCOPED_TRACE("table " + t.name);
  MdbCatalogEntry* e = mdb.Entry(t.name);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->object_type, MDB_TABLE);
  MdbTableDef* table = mdb_read_table(e);
  ASSERT_NE(table, nullptr);
  mdb_read_columns(table);
  ASSERT_EQ(table->num_cols, t.columns.size());
  EXPECT_EQ(uint64_t(table->num_rows), t.rowCount);
  std::vector<std::vector<char>> bound(t.columns.size(), std::vector<char>(1 << 20));
  std::vector<int> lengths(t.columns.size());
  for (size_t c = 0; c < t.columns.size(); ++c) {
    auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
    EXPECT_EQ(std::string(col->name), t.columns[c].name);
    EXPECT_EQ(col->col_type, int(t.columns[c].type)) << t.columns[c].name;
    mdb_bind_column(table, int(c) + 1, bound[c].data(), &lengths[c]);
  }
  mdb_rewind_table(table);
  std::vector<VARIANT> want(t.columns.size());
  std::vector<MdbField> fields(t.columns.size());
  uint64_t r = 0;
  for (; mdb_fetch_row(table); ++r) {
    if (r >= t.rowCount) break;
    for (VARIANT& v : want) v.vt = VT_EMPTY;
    t.row(r, want);
    int start = 0;
    size_t size = 0;
    ASSERT_EQ(mdb_find_row(mdb.h, int(table->cur_row) - 1, &start, &size), 0);
    mdb_crack_row(table, start, size, fields.data());
    for (size_t c = 0; c < t.columns.size(); ++c) {
      SCOPED_TRACE("row " + std::to_string(r) + " column " + t.columns[c].name);
      const VARIANT& w = want[c];
      const MdbField& f = fields[c];
      std::string text(bound[c].data());
      auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      bool null = w.vt == VT_NULL || w.vt == VT_EMPTY;
      if (t.columns[c].type == T::Boolean) {
        EXPECT_EQ(text, !null && w.boolVal ? "1" : "0");
        continue;
      }
      ASSERT_EQ(bool(f.is_null), null);
      if (null) continue;
      switch (t.columns[c].type) {
        case T::Text: case T::Memo: EXPECT_EQ(text, AsLibmdbText(w.bstrVal)); break;
        case T::Byte: EXPECT_EQ(text, std::to_string(w.bVal)); break;
        case T::Integer: EXPECT_EQ(text, std::to_string(w.iVal)); break;
        case T::LongInteger: EXPECT_EQ(text, std::to_string(w.lVal)); break;
        case T::Single: EXPECT_EQ(Raw<float>(f), w.fltVal); break;
        case T::Double: EXPECT_EQ(Raw<double>(f), w.dblVal); break;
        case T::DateTime: EXPECT_EQ(Raw<double>(f), w.date); break;
        case T::Currency: EXPECT_EQ(text, CurrencyText(w.cyVal)); break;
        case T::ReplicationId: EXPECT_EQ(text, GuidText(w.bstrVal)); break;
        case T::Decimal: EXPECT_EQ(text, DecimalText(w.decVal, t.columns[c].scale)); break;
        case T::Binary:
          EXPECT_EQ(std::vector<uint8_t>((uint8_t*)f.value, (uint8_t*)f.value + f.siz), w.parray);
          break;
        case T::OleObject: {
          size_t n = 0;
          void* data = mdb_ole_read_full(mdb.h, col, &n);
          std::vector<uint8_t> got;
          if (data) got.assign((uint8_t*)data, (uint8_t*)data + n);
          g_free(data);
          EXPECT_EQ(got, w.parray);
          break;
        }
        default: break;
      }
    }
  }
  EXPECT_EQ(r, t.rowCount);
  mdb_free_tabledef(table);
}

void ExpectFileReadsBack(const std::string& path, const std::vector<Table>& tables) {
  Mdb mdb(path);
  ASSERT_NE(mdb.h, nullptr);
  for (const Table& t : tables) ExpectTableReadsBack(mdb, t);
}

TEST(JetWriter, AllTypesFixtureReadsBackInLibmdb) {
  std::string path = TempPath("alltypes.mdb");
  WriteAllTypesFixture(path);
  ExpectFileReadsBack(path, AllTypesTables());
  unlink(path.c_str());
}

TEST(JetWriter, DemoDatabaseReadsBackInLibmdb) {
  std::string path = TempPath("demo.mdb");
  WriteDemoDatabase(path);
  ExpectFileReadsBack(path, DemoTables());
  unlink(path.c_str());
}

// 40,000 rows take more than 512 data pages, past what a usage map row holds
// itself: the map then points to bitmap pages.
TEST(JetWriter, BigTableOverManyPagesReadsBackInLibmdb) {
  std::string path = TempPath("big.mdb");
  WriteBigFixture(path, 40000);
  struct stat st{};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_GT(st.st_size / 4096, 600);
  ExpectFileReadsBack(path, BigTables(40000));
  unlink(path.c_str());
}

// Deleted rows are skipped; rows moved to an overflow page are read where they lie,
// so the live rows come back each once, in another order.
TEST(JetWriter, EditedTableShowsEveryLiveRowOnce) {
  std::string path = TempPath("edited.mdb");
  WriteEditedFixture(path);
  Table t = EditedTables()[0];
  std::vector<std::string> want, got;
  std::vector<VARIANT> v(t.columns.size());
  for (uint64_t r = 0; r < t.rowCount; ++r) {
    if (t.deleted(r)) continue;
    t.row(r, v);
    want.push_back(std::to_string(v[0].lVal) + "|" + v[1].bstrVal + "|" + (v[2].vt == VT_BSTR ? v[2].bstrVal : ""));
  }
  Mdb mdb(path);
  ASSERT_NE(mdb.h, nullptr);
  MdbTableDef* table = mdb_read_table(mdb.Entry("Edited"));
  ASSERT_NE(table, nullptr);
  mdb_read_columns(table);
  EXPECT_EQ(table->num_rows, want.size());
  std::vector<std::vector<char>> bound(3, std::vector<char>(1 << 20));
  for (int c = 0; c < 3; ++c) mdb_bind_column(table, c + 1, bound[size_t(c)].data(), nullptr);
  mdb_rewind_table(table);
  while (mdb_fetch_row(table))
    got.push_back(std::string(bound[0].data()) + "|" + bound[1].data() + "|" + bound[2].data());
  mdb_free_tabledef(table);
  std::sort(want.begin(), want.end());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, want);
  unlink(path.c_str());
}

TEST(JetWriter, HeaderAndCatalog) {
  std::string path = TempPath("catalog.mdb");
  WriteAllTypesFixture(path);
  Mdb mdb(path);
  ASSERT_NE(mdb.h, nullptr);
  EXPECT_EQ(mdb.h->f->jet_version, guint32(MDB_VER_JET4));
  EXPECT_EQ(mdb.h->f->db_key, 0u);  // pages are not encrypted
  EXPECT_EQ(mdb.h->f->code_page, 1252);
  EXPECT_EQ(mdb.h->f->lang_id, 0x409);

  std::map<std::string, std::pair<int, int>> objects;  // name -> type, flags
  for (unsigned i = 0; i < mdb.h->num_catalog; ++i) {
    auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb.h->catalog, i));
    objects[e->object_name] = {e->object_type, e->flags};
  }
  for (const char* name : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"})
    EXPECT_EQ(objects[name], std::make_pair(int(MDB_TABLE), int(0x80000000u))) << name;
  EXPECT_EQ(objects["MSysKelvaneInfo"], std::make_pair(int(MDB_TABLE), int(0x80000002u)));
  EXPECT_EQ(objects["中文表 名称"], std::make_pair(int(MDB_TABLE), 0));
  EXPECT_EQ(objects["Big Orders"], std::make_pair(int(MDB_QUERY), 0));
  EXPECT_EQ(objects["中文查询"], std::make_pair(int(MDB_QUERY), 0));
  EXPECT_EQ(objects["Tables"].first, 3);  // the container every table belongs to
  unlink(path.c_str());
}

// The saved query's clauses, as Access keeps them in MSysQueries.
TEST(JetWriter, SavedQueryClausesInMSysQueries) {
  std::string path = TempPath("queries.mdb");
  WriteJet4(path, {AllTypesTables()[2]},
            {{"Q", "SELECT DISTINCT [Order ID], Quantity * [Unit Price] AS Total FROM [Order Details] AS d "
                   "WHERE Quantity > 5 AND [Product Name] <> 'a, FROM b' GROUP BY [Order ID] "
                   "HAVING Count(*) > 1 ORDER BY [Order ID] DESC, Total"}});
  Mdb mdb(path);
  ASSERT_NE(mdb.h, nullptr);
  MdbTableDef* table = mdb_read_table(mdb.Entry("MSysQueries"));
  ASSERT_NE(table, nullptr);
  mdb_read_columns(table);
  char attribute[256], expression[4096], flag[256], name1[256], name2[256];
  mdb_bind_column_by_name(table, (gchar*)"Attribute", attribute, nullptr);
  mdb_bind_column_by_name(table, (gchar*)"Expression", expression, nullptr);
  mdb_bind_column_by_name(table, (gchar*)"Flag", flag, nullptr);
  mdb_bind_column_by_name(table, (gchar*)"Name1", name1, nullptr);
  mdb_bind_column_by_name(table, (gchar*)"Name2", name2, nullptr);
  mdb_rewind_table(table);
  std::vector<std::string> rows;
  while (mdb_fetch_row(table))
    rows.push_back(std::string(attribute) + "|" + expression + "|" + flag + "|" + name1 + "|" + name2);
  mdb_free_tabledef(table);
  std::vector<std::string> want = {
      "0||||", "1||1||", "3||2||", "5|||Order Details|d",
      "6|[Order ID]|0||", "6|Quantity * [Unit Price]|0|Total|",
      "8|Quantity > 5 AND [Product Name] <> 'a, FROM b'|||",
      "9|[Order ID]|0||", "10|Count(*) > 1|||",
      "11|[Order ID]||D|", "11|Total|||", "255||||"};
  EXPECT_EQ(rows, want);
  unlink(path.c_str());
}

TEST(JetWriter, SameInputWritesTheSameBytes) {
  std::string a = TempPath("same1.mdb"), b = TempPath("same2.mdb");
  WriteDemoDatabase(a);
  WriteDemoDatabase(b);
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::string ca((std::istreambuf_iterator<char>(fa)), {}), cb((std::istreambuf_iterator<char>(fb)), {});
  EXPECT_FALSE(ca.empty());
  EXPECT_TRUE(ca == cb);
  unlink(a.c_str());
  unlink(b.c_str());
}

TEST(JetWriter, RefusesWhatItCannotWrite) {
  std::string path = TempPath("bad.mdb");
  auto one = [](Column c, VARIANT v) {
    Table t;
    t.name = "t";
    t.columns = {c};
    t.rowCount = 1;
    t.row = [v](uint64_t, std::vector<VARIANT>& out) { out[0] = v; };
    return std::vector<Table>{t};
  };
  EXPECT_THROW(WriteJet4(path, one({"n", T::LongInteger}, VARIANT::Str("1"))), std::runtime_error);
  EXPECT_NE(access(path.c_str(), F_OK), 0);  // no half-written file left behind
  EXPECT_THROW(WriteJet4(path, one({"n", T::Byte}, VARIANT::I4(256))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"s", T::Text, 3}, VARIANT::Str("abcd"))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"s", T::Text, 3}, VARIANT::Str("\xFF"))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"g", T::ReplicationId}, VARIANT::Str("{1234}"))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"d", T::Decimal, 255, 3, 0}, Dec(1000, 0))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"d", T::Decimal, 255, 18, 1}, Dec(1, 2))), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, {}, {{"q", "DELETE FROM t"}}), std::runtime_error);
  EXPECT_THROW(WriteJet4(path, one({"n", kBigInt}, I8(1))), std::runtime_error);  // an .mdb has no Large Number
  EXPECT_THROW(WriteJet4(path, one({"x", kDateTimeExtended}, VARIANT::Str("2024-13-01 00:00:00")), {}, kAce2016),
               std::runtime_error);
  // Every Text column full: more than a page can hold in one row.
  Table wide;
  wide.name = "wide";
  for (int i = 0; i < 9; ++i) wide.columns.push_back({"c" + std::to_string(i), T::Text, 255});
  wide.rowCount = 1;
  wide.row = [](uint64_t, std::vector<VARIANT>& v) { for (auto& x : v) x = VARIANT::Str(std::string(255, 'x')); };
  EXPECT_THROW(WriteJet4(path, {wide}), std::runtime_error);
  EXPECT_THROW(WriteJet4("/nonexistent-dir/x.mdb", {}), std::runtime_error);
  unlink(path.c_str());
}

TEST(JetWriter, DayNumbersCountAsAccessDoes) {
  EXPECT_EQ(DayNumber(1899, 12, 30), 0.0);
  EXPECT_EQ(DayNumber(1900, 1, 1), 2.0);
  EXPECT_EQ(DayNumber(1899, 12, 30, 18), 0.75);
  EXPECT_EQ(DayNumber(1899, 12, 29, 6), -1.25);  // the day counts back, the time forward
  EXPECT_EQ(DayNumber(2000, 3, 1), 36586.0);
  EXPECT_EQ(DayNumber(100, 1, 1), -657434.0);
  EXPECT_EQ(DayNumber(9999, 12, 31), 2958465.0);
}

}  // namespace
