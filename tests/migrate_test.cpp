// The schema of real Access files through the provider's rowsets, and the forms in
// which the whole-database writers put values and defaults.
#include <gtest/gtest.h>

#include "migrate/ChildTables.h"
#include "migrate/Schema.h"
#include "migrate/SqlNames.h"
#include "migrate/ValueForms.h"

namespace {

const std::string kData = KELVANE_TESTDATA;

migrate::DatabaseSchema SchemaOf(const std::string& file) {
  CoInitialize(nullptr);
  _ConnectionPtr conn;
  EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
  conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + kData + "/" + file);
  conn->Open("", "", "", ADODB::adConnectUnspecified);
  migrate::DatabaseSchema schema = migrate::ReadSchema(conn);
  conn->Close();
  conn.Release();
  CoUninitialize();
  return schema;
}

TEST(MigrateSchema, NorthwindsKeysAndRelationshipsComeWhole) {
  const migrate::DatabaseSchema s = SchemaOf("nwind.mdb");
  const migrate::Table* details = s.Find("Order Details");
  ASSERT_TRUE(details && details->PrimaryKey());
  EXPECT_EQ(details->PrimaryKey()->columns,
            (std::vector<std::pair<std::string, bool>>{{"OrderID", false}, {"ProductID", false}}));
  ASSERT_EQ(s.relationships.size(), 7u);
  for (const migrate::Relationship& r : s.relationships) EXPECT_TRUE(r.enforced) << r.name;
  const migrate::Relationship& orders = s.relationships[3];
  EXPECT_EQ(orders.name, "OrdersOrder Details");
  EXPECT_EQ(orders.deleteRule, "CASCADE");
  EXPECT_EQ(orders.updateRule, "NO ACTION");
  const migrate::Column* freight = s.Find("Orders")->Find("Freight");
  EXPECT_EQ(freight->defaultValue.value_or("?"), "0");
  EXPECT_TRUE(s.Find("Orders")->Find("OrderID")->autoNumber);
  EXPECT_EQ(s.Find("Orders")->Find("CustomerID")->length, 5);
}

TEST(MigrateSchema, CompositeAndUniqueIndexes) {
  const migrate::DatabaseSchema s = SchemaOf("V2003_testIndexPropertiesV2003.mdb");
  bool composite = false, unique = false;
  for (const migrate::Table& t : s.tables)
    for (const migrate::Index& ix : t.indexes) {
      composite |= ix.columns.size() == 2 && ix.unique;
      unique |= ix.columns.size() == 1 && ix.unique && !ix.primaryKey;
    }
  EXPECT_TRUE(composite);
  EXPECT_TRUE(unique);
}

TEST(MigrateValueForms, IsoDates) {
  struct Case { double date; const char* iso; } cases[] = {
      {0.0, "1899-12-30 00:00:00"},        {-1.5, "1899-12-29 12:00:00"},
      {36526.25, "2000-01-01 06:00:00"},   {-657434.0, "0100-01-01 00:00:00"},
      {36526.0 + 1.5 / 86400, "2000-01-01 00:00:01.500"},
  };
  for (const Case& c : cases) {
    std::string iso;
    ASSERT_TRUE(migrate::IsoDateTime(c.date, &iso)) << c.iso;
    EXPECT_EQ(iso, c.iso);
  }
  std::string iso;
  EXPECT_FALSE(migrate::IsoDateTime(1e9, &iso));
}

TEST(MigrateValueForms, RealOnlyWhereItKeepsTheDecimal) {
  double d;
  EXPECT_TRUE(migrate::RealKeepsDecimal("32.38", &d));
  EXPECT_TRUE(migrate::RealKeepsDecimal("-0.1234", &d));
  EXPECT_FALSE(migrate::RealKeepsDecimal("922337203685477.5807", &d));
  EXPECT_FALSE(migrate::RealKeepsDecimal("56505085819.42479129657228018", &d));
}

TEST(MigrateSqlNames, OnlyLiteralDefaultsCarryOver) {
  using migrate::Column;
  struct Case { int type; const char* access; const char* sql; } cases[] = {
      {migrate::kText, "\"abc\"", "'abc'"},   {migrate::kText, "\"it\"\"s\"", "'it\"s'"},
      {migrate::kText, "'o''k'", "'o''k'"},    {migrate::kText, "\"a\" & \"b\"", nullptr},
      {migrate::kLong, "0", "0"},             {migrate::kLong, "1.5", nullptr},
      {migrate::kCurrency, "-1.5", "-1.5"},   {migrate::kDateTime, "=Now()", nullptr},
      {migrate::kBoolean, "Yes", "TRUE"},     {migrate::kBoolean, "False", "FALSE"},
      {migrate::kDouble, "1e5", nullptr},
  };
  for (const Case& c : cases) {
    Column col;
    col.type = c.type;
    col.defaultValue = c.access;
    const auto got = migrate::LiteralDefault(col);
    EXPECT_EQ(got.value_or("none"), c.sql ? c.sql : "none") << c.access;
  }
  EXPECT_EQ(migrate::Quoted("a\"b"), "\"a\"\"b\"");
}

std::vector<uint8_t> Hex(const std::string& h) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < h.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(MigrateChildTables, AttachmentsFileBytes) {
  // As Access stored "attachment1.txt": deflated, behind a header naming "txt".
  const std::vector<uint8_t> deflated = Hex(
      "0100000020000000785E1361606060046216202E61A800620606C79292C4E48CDCD4BC1205430039D105D4");
  std::vector<uint8_t> file;
  ASSERT_TRUE(migrate::AttachmentBytes(deflated, &file));
  EXPECT_EQ(std::string(file.begin(), file.end()), "Attachment 1");
  const std::vector<uint8_t> plain = Hex("00000000110000000C000000010000000000000041");
  ASSERT_TRUE(migrate::AttachmentBytes(plain, &file));
  EXPECT_EQ(std::string(file.begin(), file.end()), "A");
  EXPECT_FALSE(migrate::AttachmentBytes(Hex("0100000020000000FFFF"), &file));
}

}  // namespace
