// The reader over real files made by Access: Jet 3 (V1997_test, nwind), Jet 4
// (V2000_test, V2000_empty) and ACE (V2007_test and the other .accdb files). Expected
// values are what an independent reader (mdb-reader) reads from the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <fstream>
#include <unistd.h>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/ValueDecode.h"

namespace {

using jet::AccessType;
using jet::ObjectType;

const std::string kData = KELVANE_TESTDATA;

std::map<std::string, ObjectType> CatalogOf(jet::MdbFile& f) {
  std::map<std::string, ObjectType> out;
  for (const jet::CatalogEntry& e : f.Catalog()) out[e.name] = e.type;
  return out;
}

std::vector<std::string> Names(jet::MdbFile& f, ObjectType type) {
  std::vector<std::string> out;
  for (const jet::CatalogEntry& e : f.Catalog())
    if (e.type == type) out.push_back(e.name);
  std::sort(out.begin(), out.end());
  return out;
}

// All rows of a table, every value decoded.
std::vector<std::vector<VARIANT>> ReadTable(jet::MdbFile& f, const std::string& name) {
  std::string exact;
  std::vector<jet::ColumnDef> cols;
  EXPECT_TRUE(f.FindTable(name, &exact, &cols)) << name;
  std::vector<std::vector<VARIANT>> rows;
  auto s = f.Scan(exact);
  while (s->Next()) {
    rows.emplace_back();
    for (size_t c = 0; c < cols.size(); ++c) rows.back().push_back(s->Value(static_cast<int>(c)));
  }
  return rows;
}

int Column(jet::MdbFile& f, const std::string& table, const std::string& col) {
  std::vector<jet::ColumnDef> cols;
  f.FindTable(table, nullptr, &cols);
  for (size_t i = 0; i < cols.size(); ++i)
    if (cols[i].name == col) return static_cast<int>(i);
  ADD_FAILURE() << table << "." << col;
  return 0;
}

TEST(MdbReader, NwindCatalog) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  EXPECT_EQ(f->JetVersion(), 3);
  EXPECT_EQ(Names(*f, ObjectType::Table),
            (std::vector<std::string>{"Categories", "Customers", "Employees", "Order Details",
                                      "Orders", "Products", "Shippers", "Suppliers", "Umsätze"}));
  auto cat = CatalogOf(*f);
  EXPECT_EQ(cat["MSysObjects"], ObjectType::SystemTable);
  EXPECT_EQ(cat["MSysAccessObjects"], ObjectType::SystemTable);
  EXPECT_EQ(cat["MSysRelationships"], ObjectType::SystemTable);
  EXPECT_EQ(cat["Invoices"], ObjectType::View);
  EXPECT_EQ(cat["Ten Most Expensive Products"], ObjectType::View);
  // Forms, reports and modules are no table-like objects, even where a report has
  // the name of a query.
  EXPECT_EQ(cat.count("Main Switchboard"), 0u);
  EXPECT_EQ(cat.count("Customer Labels"), 0u);
  EXPECT_EQ(Names(*f, ObjectType::Link).size(), 0u);
}

TEST(MdbReader, FindTableIgnoresCaseAndGivesColumns) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  std::string exact;
  std::vector<jet::ColumnDef> cols;
  ASSERT_TRUE(f->FindTable("order DETAILS", &exact, &cols));
  EXPECT_EQ(exact, "Order Details");
  ASSERT_EQ(cols.size(), 5u);
  const std::pair<const char*, AccessType> expected[] = {
      {"OrderID", AccessType::LongInteger}, {"ProductID", AccessType::LongInteger},
      {"UnitPrice", AccessType::Currency}, {"Quantity", AccessType::Integer},
      {"Discount", AccessType::Single}};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(cols[i].name, expected[i].first);
    EXPECT_EQ(cols[i].type, expected[i].second);
  }
  EXPECT_TRUE(f->FindTable("msysobjects", &exact, nullptr));
  EXPECT_EQ(exact, "MSysObjects");
  EXPECT_FALSE(f->FindTable("Invoices", nullptr, nullptr));  // a query is no table
  EXPECT_FALSE(f->FindTable("No such table", nullptr, nullptr));
}

TEST(MdbReader, NwindRowCountsAndSums) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  const std::map<std::string, size_t> counts = {
      {"Order Details", 2155}, {"Orders", 830}, {"Products", 77}, {"Shippers", 3},
      {"Categories", 8},       {"Customers", 91}, {"Employees", 9}, {"Suppliers", 29},
      {"Umsätze", 830},        {"MSysObjects", 106}, {"MSysAccessObjects", 2705}};
  for (const auto& [name, n] : counts) EXPECT_EQ(ReadTable(*f, name).size(), n) << name;

  auto details = ReadTable(*f, "Order Details");
  int64_t quantity = 0, price = 0;
  double discount = 0;
  for (const auto& r : details) {
    ASSERT_EQ(r[2].vt, VT_CY);
    ASSERT_EQ(r[3].vt, VT_I2);
    ASSERT_EQ(r[4].vt, VT_R4);
    price += r[2].cyVal;
    quantity += r[3].iVal;
    discount += r[4].fltVal;
  }
  EXPECT_EQ(quantity, 51317);
  EXPECT_EQ(price, 565009100);  // 56,500.91 in all
  EXPECT_NEAR(discount, 121.04000180587173, 1e-9);
  EXPECT_EQ(details[0][0].lVal, 10248);
  EXPECT_EQ(details[0][2].cyVal, 140000);  // 14.0000

  auto orders = ReadTable(*f, "Orders");
  const int region = Column(*f, "Orders", "ShipRegion"), shipped = Column(*f, "Orders", "ShippedDate");
  EXPECT_EQ(std::count_if(orders.begin(), orders.end(), [&](auto& r) { return r[region].vt == VT_NULL; }), 507);
  EXPECT_EQ(std::count_if(orders.begin(), orders.end(), [&](auto& r) { return r[shipped].vt == VT_NULL; }), 21);
  const auto& last = orders.back();
  EXPECT_EQ(last[0].lVal, 11077);
  EXPECT_EQ(last[1].bstrVal, "RATTC");
  EXPECT_EQ(last[3].vt, VT_DATE);
  EXPECT_EQ(last[3].date, 35221.0);  // 1996/6/5
  EXPECT_EQ(last[7].cyVal, 85300);   // 8.53
}

TEST(MdbReader, Jet3TextInItsCodePage) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  auto customers = ReadTable(*f, "Customers");
  EXPECT_EQ(customers[1][4].bstrVal, "Avda. de la Constitución 2222");
  EXPECT_EQ(customers[1][5].bstrVal, "México D.F.");
  std::vector<std::string> cities;
  for (auto& r : customers) cities.push_back(r[5].bstrVal);
  for (const char* c : {"Luleå", "São Paulo", "München", "København", "Århus", "Genève"})
    EXPECT_NE(std::find(cities.begin(), cities.end(), c), cities.end()) << c;
  auto products = ReadTable(*f, "Products");
  EXPECT_EQ(products[76][1].bstrVal, "Original Frankfurter grüne Soße");
  EXPECT_EQ(std::count_if(products.begin(), products.end(),
                          [](auto& r) { return r[9].vt == VT_BOOL && r[9].boolVal == VARIANT_TRUE; }),
            8);
}

// A Jet 3 header that records no code page: the sort order (a language id) decides.
// The header is masked by XOR with a fixed key stream, so plain bits flip in place.
TEST(MdbReader, Jet3CodePageFromSortOrder) {
  std::ifstream in(kData + "/nwind.mdb", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  bytes[0x3C] ^= static_cast<char>(0xE4);  // code page 1252 (0x04E4) becomes 0
  bytes[0x3D] ^= 0x04;
  bytes[0x3A] ^= 0x10;                     // sort order 1033 (0x0409) becomes 1049, Russian
  const std::string path = "/tmp/mdb_reader_cp_" + std::to_string(getpid()) + ".mdb";
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  auto f = jet::MdbFile::Open(path);
  unlink(path.c_str());
  std::string exact;
  EXPECT_TRUE(f->FindTable("Ums\xD0\xB4tze", &exact, nullptr));  // 0xE4 in code page 1251
}

TEST(MdbReader, LongValuesComeOutWhole) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  auto employees = ReadTable(*f, "Employees");
  const int photo = Column(*f, "Employees", "Photo"), notes = Column(*f, "Employees", "Notes");
  size_t noteChars = 0;
  for (auto& r : employees) {
    ASSERT_EQ(r[photo].vt, VT_ARRAY | VT_UI1);
    ASSERT_EQ(r[notes].vt, VT_BSTR);
    noteChars += r[notes].bstrVal.size();
  }
  EXPECT_EQ(employees[2][photo].parray.size(), 21722u);  // several LVAL pages
  EXPECT_EQ(employees[0][photo].parray.size(), 21626u);
  EXPECT_EQ(noteChars, 2383u);  // all ASCII: bytes are characters
  EXPECT_EQ(employees[8][notes].bstrVal.substr(employees[8][notes].bstrVal.size() - 37),
            "  She is fluent in French and German.");
  EXPECT_EQ(employees[0][notes].bstrVal.substr(0, 29), "Education includes a BA in ps");

  auto categories = ReadTable(*f, "Categories");
  const std::vector<uint8_t>& pic = categories[0][3].parray;
  ASSERT_EQ(pic.size(), 10746u);
  EXPECT_EQ(std::vector<uint8_t>(pic.begin(), pic.begin() + 4), (std::vector<uint8_t>{0x15, 0x1C, 0x2F, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(pic.end() - 4, pic.end()), (std::vector<uint8_t>{0xC7, 0xAD, 0x05, 0xFE}));
  EXPECT_EQ(categories[0][2].bstrVal, "Soft drinks, coffees, teas, beers, and ales");
}

TEST(MdbReader, Jet4AndJet3TestFiles) {
  // The .accdb of Access 2007 holds the same tables in Jet 4's layout.
  for (const char* name : {"V2000_test.mdb", "V1997_test.mdb", "V2007_test.accdb"}) {
    SCOPED_TRACE(name);
    auto f = jet::MdbFile::Open(kData + "/" + name);
    EXPECT_EQ(f->JetVersion(), name[1] == '2' ? 4 : 3);
    EXPECT_EQ(Names(*f, ObjectType::Table),
              (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
    std::vector<jet::ColumnDef> cols;
    ASSERT_TRUE(f->FindTable("Table1", nullptr, &cols));
    ASSERT_EQ(cols.size(), 9u);
    const AccessType types[] = {AccessType::Text, AccessType::Text, AccessType::Byte,
                                AccessType::Integer, AccessType::LongInteger, AccessType::Double,
                                AccessType::DateTime, AccessType::Currency, AccessType::Boolean};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(cols[i].type, types[i]) << i;
    ASSERT_TRUE(f->FindTable("Table4", nullptr, &cols));
    EXPECT_EQ(cols[1].type, AccessType::ReplicationId);

    auto rows = ReadTable(*f, "Table1");
    ASSERT_EQ(rows.size(), 2u);
    auto& r = rows[0][0].bstrVal == "abcdefg" ? rows[0] : rows[1];
    EXPECT_EQ(r[1].bstrVal, "hijklmnop");
    EXPECT_EQ(r[2].vt, VT_UI1);
    EXPECT_EQ(r[2].bVal, 2);
    EXPECT_EQ(r[3].iVal, 222);
    EXPECT_EQ(r[4].lVal, 333333333);
    EXPECT_EQ(r[5].dblVal, 444.555);
    EXPECT_EQ(r[6].date, 27293.0);  // 1974/9/21
    EXPECT_EQ(r[7].cyVal, 35000);
    EXPECT_EQ(r[8].boolVal, VARIANT_TRUE);
    auto& z = rows[0][0].bstrVal == "a" ? rows[0] : rows[1];
    EXPECT_EQ(z[8].vt, VT_BOOL);
    EXPECT_EQ(z[8].boolVal, VARIANT_FALSE);
    EXPECT_EQ(z[6].date, 29932.0);  // 1981/12/12
    EXPECT_TRUE(ReadTable(*f, "Table2").empty());
  }
  auto empty = jet::MdbFile::Open(kData + "/V2000_empty.mdb");
  EXPECT_TRUE(Names(*empty, ObjectType::Table).empty());
  EXPECT_EQ(CatalogOf(*empty)["MSysAccessObjects"], ObjectType::SystemTable);
}

// A password set in Access 2007 or later puts the pages under Office encryption: the
// page key in the header is set and the EncryptionInfo stream (its length at 0x299,
// then its version and flags) follows the header. Without its password the file is
// refused as Jet refuses a password; a stream cut short after its flags, or a page
// key without a stream, is a damaged encryption header.
TEST(MdbReader, OfficeEncryptionIsAPassword) {
  auto openError = [](const std::string& path) {
    try {
      jet::MdbFile::Open(path);
      return S_OK;
    } catch (const _com_error& e) {
      return e.Error();
    }
  };
  EXPECT_EQ(openError(kData + "/V2010_with-password.accdb"), JET_E_PASSWORD);  // Agile, by Access
  std::ifstream in(kData + "/V2016_bigint.accdb", std::ios::binary);
  const std::vector<char> plain((std::istreambuf_iterator<char>(in)), {});
  const std::string path = "/tmp/mdb_reader_crypt_" + std::to_string(getpid()) + ".accdb";
  struct Kind { const char* name; char major, minor, flags; bool key, info; };
  const Kind kinds[] = {{"none", 0, 0, 0, false, false},         {"RC4 CryptoAPI", 4, 2, 0x04, true, true},
                        {"Standard (AES)", 4, 2, 0x24, true, true}, {"Agile", 4, 4, 0x40, true, true},
                        {"page key only", 0, 0, 0, true, false},    {"EncryptionInfo only", 4, 4, 0x40, false, true}};
  for (const Kind& k : kinds) {
    std::vector<char> b = plain;
    if (k.key) b[0x3E] ^= 0x5A;  // the header is masked by XOR: a plain byte flips in place
    if (k.info) {
      b[0x299] = 8;  // the stream's length, then major and minor version, then flags
      b[0x29B] = k.major, b[0x29D] = k.minor, b[0x29F] = k.flags;
    }
    std::ofstream(path, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
    EXPECT_EQ(openError(path), k.key || k.info ? E_FAIL : S_OK) << k.name;
  }
  unlink(path.c_str());
}

// Date/Time Extended: days since 0001/1/1 and 100 ns ticks as ASCII digits. A VT_DATE
// where it holds the value (years 100 on, whole seconds), else the text to 100 ns.
TEST(MdbReader, DateTimeExtendedValues) {
  const struct { const char* stored; VARTYPE vt; const char* text; } cases[] = {
      {"0000000000000693593:0000000000000000000:7", VT_DATE, "0:00:00"},
      {"0000000000000738000:0000000432000000000:7", VT_DATE, "2021/7/30 12:00:00"},
      {"0000000000000693592:0000000216000000000:7", VT_DATE, "1899/12/29 6:00:00"},  // day -1.25
      {"0000000000000738000:0000000000123456789:7", VT_BSTR, "2021/7/30 0:00:12.3456789"},
      {"0000000000000738000:0000000000125000000:7", VT_BSTR, "2021/7/30 0:00:12.5"},
      {"0000000000000000001:0000000000000000000:7", VT_BSTR, "0001/1/2 0:00:00"},
      {"0000000000003652058:0000000863999999999:7", VT_BSTR, "9999/12/31 23:59:59.9999999"},
      {"000000000000073800x:0000000000000000000:7", VT_EMPTY, nullptr},  // damaged: E_FAIL
      {"0000000000009999999:0000000000000000000:7", VT_EMPTY, nullptr},  // after 9999
  };
  for (const auto& c : cases) {
    VARIANT v;
    try {
      jet::DecodeExtendedDate(reinterpret_cast<const uint8_t*>(c.stored), 42, &v);
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), E_FAIL);
    }
    std::string text;
    if (c.text) VariantToText(v, &text);
    EXPECT_EQ(v.vt, c.vt) << c.stored;
    EXPECT_EQ(text, c.text ? c.text : "") << c.stored;
  }
}

TEST(MdbReader, SavedSelectQueriesFromMSysQueries) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  EXPECT_EQ(f->SavedQuerySql("Ten Most Expensive Products"),
            "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, "
            "Products.UnitPrice FROM Products ORDER BY Products.UnitPrice DESC");
  EXPECT_EQ(f->SavedQuerySql("Current Product List"),
            "SELECT [Product List].ProductID, [Product List].ProductName FROM Products AS "
            "[Product List] WHERE ((([Product List].Discontinued)=No)) ORDER BY "
            "[Product List].ProductName");
  // Joins nest as Access wrote them.
  EXPECT_EQ(f->SavedQuerySql("Summary of Sales by Year"),
            "SELECT DISTINCTROW Orders.ShippedDate, Orders.OrderID, [Order Subtotals].Subtotal "
            "FROM Orders INNER JOIN [Order Subtotals] ON Orders.OrderID = [Order Subtotals].OrderID "
            "WHERE (((Orders.ShippedDate) Is Not Null)) ORDER BY Orders.ShippedDate");
  EXPECT_EQ(f->SavedQuerySql("Customers"), "");
  EXPECT_EQ(f->SavedQuerySql("No such query"), "");
}

std::vector<std::string> CatalogNames(const std::string& path) {
  auto f = jet::MdbFile::Open(path);
  std::vector<std::string> names;
  for (auto& row : ReadTable(*f, "MSysObjects")) names.push_back(row[2].bstrVal);
  return names;
}

// nwind's catalog has rows that grew and moved to other pages (their slot keeps a
// pointer, the moved row is flagged deleted where it now lies): each appears once,
// in its original place. A row flagged deleted never appears; one flagged so while
// the table's definition still counts it is a lost row: damage.
TEST(MdbReader, OverflowRowsStayDeletedRowsGo) {
  std::vector<std::string> names = CatalogNames(kData + "/nwind.mdb");
  ASSERT_EQ(names.size(), 106u);
  EXPECT_EQ(names[0], "Tables");
  EXPECT_EQ(names[14], "SummaryInfo");  // page 18, slot 14: a pointer to page 548
  EXPECT_EQ(std::count(names.begin(), names.end(), "SummaryInfo"), 1);

  // Flag the first row of the catalog's first data page (2 KB pages) as deleted.
  std::ifstream in(kData + "/nwind.mdb", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  const size_t slot0 = 18 * 2048 + 10;
  ASSERT_EQ(static_cast<uint8_t>(bytes[slot0 + 1]) & 0xC0, 0);
  bytes[slot0 + 1] = static_cast<char>(bytes[slot0 + 1] | 0xC0);  // as Access deletes
  const std::string path = "/tmp/mdb_reader_deleted_" + std::to_string(getpid()) + ".mdb";
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_THROW(CatalogNames(path), _com_error);
  // Access counts the deletion in the catalog's definition (page 2, Jet 3 offset 12).
  const size_t count = 2 * 2048 + 12;
  ASSERT_EQ(static_cast<uint8_t>(bytes[count]), 106);
  bytes[count] = 105;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::vector<std::string> after = CatalogNames(path);
  unlink(path.c_str());
  EXPECT_EQ(after.size(), 105u);
  EXPECT_EQ(std::count(after.begin(), after.end(), "Tables"), 0);
}

// Streams on the same table keep their own positions (a self-join).
TEST(MdbReader, StreamsAreIndependent) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  auto outer = f->Scan("Employees");
  int pairs = 0;
  while (outer->Next()) {
    const int32_t id = outer->Value(0).lVal;
    const std::string notes = outer->Value(15).bstrVal;
    auto inner = f->Scan("Employees");
    while (inner->Next()) {
      ++pairs;
      inner->Value(14);  // the inner stream's long values use their own pages
      inner->Value(15);
    }
    EXPECT_EQ(outer->Value(0).lVal, id);
    EXPECT_EQ(outer->Value(15).bstrVal, notes);
  }
  EXPECT_EQ(pairs, 81);
  // A stream outlives the file object that made it.
  auto s = f->Scan("Shippers");
  f.reset();
  int n = 0;
  while (s->Next()) ++n;
  EXPECT_EQ(n, 3);
}

TEST(MdbReader, ValueOffTheRowIsAnError) {
  auto f = jet::MdbFile::Open(kData + "/nwind.mdb");
  auto s = f->Scan("Shippers");
  EXPECT_THROW(s->Value(0), _com_error);  // before the first Next
  ASSERT_TRUE(s->Next());
  EXPECT_THROW(s->Value(3), _com_error);
  EXPECT_THROW(f->Scan("Nothing"), _com_error);
}

}  // namespace
