// The SQL engine over real files: the Access-made ones in the shared test data and
// the writer's fixtures. `select *` must hand out exactly the VARIANTs the reader
// decodes, for every type; Northwind's statements give what Jet gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/Provider.h"
#include "support/JetWriter.h"

namespace {

const std::string kNwind = std::string(KELVANE_TESTDATA) + "/nwind.mdb";

bool SameVariant(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case VT_NULL: case VT_EMPTY: return true;
    case VT_BSTR: return a.bstrVal == b.bstrVal;
    case VT_UI1: return a.bVal == b.bVal;
    case VT_I2: return a.iVal == b.iVal;
    case VT_I4: return a.lVal == b.lVal;
    case VT_BOOL: return a.boolVal == b.boolVal;
    case VT_R4: return std::memcmp(&a.fltVal, &b.fltVal, sizeof a.fltVal) == 0;
    case VT_R8: return std::memcmp(&a.dblVal, &b.dblVal, sizeof a.dblVal) == 0;
    case VT_DATE: return a.date == b.date;
    case VT_CY: return a.cyVal == b.cyVal;
    case VT_DECIMAL:
      return a.decVal.scale == b.decVal.scale && a.decVal.negative == b.decVal.negative &&
             a.decVal.hi32 == b.decVal.hi32 && a.decVal.lo64 == b.decVal.lo64;
    case VT_ARRAY | VT_UI1: return a.parray == b.parray;
    default: return false;
  }
}

std::string Describe(const VARIANT& v) {
  std::string text;
  if (VariantToText(v, &text) != S_OK) text = "(no text)";
  return "vt " + std::to_string(v.vt) + " " + text;
}

// Every row of every user and system table, through `select *`, against the
// reader's own scan.
void ExpectSelectStarMatchesScan(const std::string& path) {
  auto file = jet::MdbFile::Open(path);
  auto db = jet::Database::OpenOver(file);
  int tables = 0;
  for (const jet::CatalogEntry& e : file->Catalog()) {
    if (e.type != jet::ObjectType::Table && e.type != jet::ObjectType::SystemTable) continue;
    std::string exact;
    std::vector<jet::ColumnDef> columns;
    ASSERT_TRUE(file->FindTable(e.name, &exact, &columns)) << e.name;
    std::unique_ptr<jet::RowStream> scan;
    try {
      scan = file->Scan(exact);
    } catch (const _com_error&) {
      continue;  // a table the reader cannot read is the reader's tests' business
    }
    std::string quoted = "[" + exact + "]";
    auto cursor = db->Execute("select * from " + quoted);
    ASSERT_EQ(cursor->ColumnCount(), static_cast<int>(columns.size())) << exact;
    for (size_t c = 0; c < columns.size(); ++c) EXPECT_EQ(cursor->ColumnName(static_cast<int>(c)), columns[c].name);
    long row = 0;
    while (scan->Next()) {
      ASSERT_FALSE(cursor->Eof()) << exact << " ends early at row " << row;
      for (size_t c = 0; c < columns.size(); ++c) {
        VARIANT got = cursor->Value(static_cast<int>(c));
        const VARIANT& want = scan->Value(static_cast<int>(c));
        EXPECT_TRUE(SameVariant(got, want)) << exact << " row " << row << " column " << columns[c].name
                                            << ": " << Describe(got) << " instead of " << Describe(want);
      }
      cursor->MoveNext();
      ++row;
    }
    EXPECT_TRUE(cursor->Eof()) << exact;
    ++tables;
  }
  EXPECT_GT(tables, 0);
}

TEST(SqlFiles, SelectStarGivesTheReadersValuesOnAccessFiles) {
  for (const char* name : {"nwind.mdb", "V2000_test.mdb", "V1997_test.mdb", "V2000_empty.mdb"}) {
    SCOPED_TRACE(name);
    ExpectSelectStarMatchesScan(std::string(KELVANE_TESTDATA) + "/" + name);
  }
}

TEST(SqlFiles, SelectStarKeepsEveryTypeOnWriterFixtures) {
  std::string path = "/tmp/sql_files_test_" + std::to_string(getpid()) + ".mdb";
  jetwriter::WriteAllTypesFixture(path);
  ExpectSelectStarMatchesScan(path);
  // Values a REAL cannot hold travel as text and still come back exact.
  auto db = jet::Database::Open(path);
  auto c = db->Execute("select currency, decimal from alltypes where currency < -9e14 or currency > 9e14 "
                       "order by currency");
  ASSERT_FALSE(c->Eof());
  EXPECT_EQ(c->Value(0).cyVal, INT64_MIN);
  c->MoveNext();
  ASSERT_FALSE(c->Eof());
  EXPECT_EQ(c->Value(0).cyVal, INT64_MAX);
  auto d = db->Execute("select decimal from alltypes where [decimal] > 0.5 order by [decimal] desc");
  ASSERT_FALSE(d->Eof());
  EXPECT_EQ(d->Value(0).vt, VT_DECIMAL);
  EXPECT_EQ(d->Value(0).decVal.lo64, 999999999999999999ull);
  EXPECT_EQ(d->Value(0).decVal.scale, 4);
  // The writer's saved queries (Chinese names and aliases among them) run.
  int views = 0;
  for (const jet::SchemaTableRow& r : db->Tables()) {
    if (r.tableType != "VIEW") continue;
    ++views;
    auto v = db->Execute("select * from [" + r.tableName + "]");
    EXPECT_GT(v->ColumnCount(), 0) << r.tableName;
  }
  EXPECT_GT(views, 0);
  std::remove(path.c_str());
}

class Northwind : public ::testing::Test {
 protected:
  std::shared_ptr<jet::Database> db = jet::Database::Open(kNwind);
  HRESULT CodeOf(const std::string& sql, const std::function<void()>& onRow = [] {}) {
    try {
      for (auto c = db->Execute(sql); !c->Eof(); c->MoveNext()) onRow();
    } catch (const _com_error& e) {
      return e.Error();
    }
    return S_OK;
  }
};

TEST_F(Northwind, OrderDetailsOverAHundred) {
  // What the reader holds, filtered and counted by hand.
  auto file = jet::MdbFile::Open(kNwind);
  std::string exact;
  std::vector<jet::ColumnDef> cols;
  ASSERT_TRUE(file->FindTable("Order Details", &exact, &cols));
  int orderCol = -1, qtyCol = -1;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].name == "OrderID") orderCol = static_cast<int>(i);
    if (cols[i].name == "Quantity") qtyCol = static_cast<int>(i);
  }
  ASSERT_GE(orderCol, 0);
  ASSERT_GE(qtyCol, 0);
  std::vector<int> expected;
  for (auto s = file->Scan(exact); s->Next();)
    if (s->Value(qtyCol).iVal > 100) expected.push_back(s->Value(orderCol).lVal);
  std::sort(expected.begin(), expected.end());
  ASSERT_FALSE(expected.empty());

  std::vector<int> got;
  auto c = db->Execute("select * from [Order Details] where quantity > 100 order by orderid");
  int qty = -1, order = -1;
  for (int i = 0; i < c->ColumnCount(); ++i) {
    if (c->ColumnName(i) == "Quantity") qty = i;
    if (c->ColumnName(i) == "OrderID") order = i;
  }
  ASSERT_GE(qty, 0);
  for (; !c->Eof(); c->MoveNext()) {
    EXPECT_GT(c->Value(qty).iVal, 100);
    got.push_back(c->Value(order).lVal);
  }
  EXPECT_EQ(got, expected);
  // The preview's form of the same statement: its first four.
  auto top = db->Execute("select top 4 * from [order details] where quantity > 100 order by orderid");
  int n = 0;
  for (; !top->Eof(); top->MoveNext()) ++n;
  EXPECT_EQ(n, 4);
}

TEST_F(Northwind, PreviewOfEveryTableWorksOrFailsAsJet) {
  int tables = 0;
  for (const jet::SchemaTableRow& r : db->Tables()) {
    if (r.tableType != "TABLE") continue;
    ++tables;
    bool blank = r.tableName.find(' ') != std::string::npos;
    EXPECT_EQ(CodeOf("select top 4 * from " + r.tableName), blank ? JET_E_SYNTAX : S_OK) << r.tableName;
    EXPECT_EQ(CodeOf("select top 4 * from [" + r.tableName + "]"), S_OK) << r.tableName;
  }
  EXPECT_EQ(tables, 9);
}

TEST_F(Northwind, JoinsAndGroups) {
  auto c = db->Execute(
      "SELECT Customers.CompanyName, Count(*) AS Orders FROM Customers INNER JOIN Orders "
      "ON Customers.CustomerID = Orders.CustomerID GROUP BY Customers.CompanyName "
      "HAVING Count(*) >= 20 ORDER BY Count(*) DESC");
  ASSERT_FALSE(c->Eof());
  EXPECT_EQ(c->ColumnName(1), "Orders");
  int previous = 1 << 30;
  for (; !c->Eof(); c->MoveNext()) {
    int n = c->Value(1).lVal;
    EXPECT_GE(n, 20);
    EXPECT_LE(n, previous);
    previous = n;
  }
  auto d = db->Execute("select count(*) from orders where orderdate between #1/1/1995# and #12/31/1995#");
  EXPECT_GE(d->Value(0).lVal, 0);
  auto u = db->Execute("select top 1 * from Umsätze");
  EXPECT_GT(u->ColumnCount(), 0);
}

TEST_F(Northwind, EverySavedQueryRunsOrSaysWhy) {
  // Access's own SQL: DISTINCTROW, nested joins (some stored out of chain order),
  // Yes/No constants, & and CCur, subqueries, TOP with ORDER BY, a union, saved
  // queries over saved queries. Those that ask for parameters (or form fields)
  // have no value for them.
  const struct { const char* name; long rows; HRESULT code; } cases[] = {
      {"Alphabetical List of Products", 69, S_OK}, {"Catalog", 69, S_OK}, {"Category Sales for 1995", 8, S_OK},
      {"Current Product List", 69, S_OK}, {"Customers and Suppliers by City", 120, S_OK},
      {"Quarterly Orders by Product", 914, S_OK},
      {"Employee Sales by Country", 0, JET_E_NOCOLUMN}, {"Invoices", 2155, S_OK},
      {"Invoices Filter", 0, JET_E_NOCOLUMN}, {"Order Details Extended", 2155, S_OK}, {"Order Subtotals", 830, S_OK},
      {"Orders Qry", 830, S_OK}, {"Product Sales for 1995", 77, S_OK}, {"Products Above Average Price", 25, S_OK},
      {"Products by Category", 69, S_OK}, {"Quarterly Orders", 84, S_OK} /* DISTINCTROW */,
      {"Sales by Category", 77, S_OK}, {"Sales by Year", 0, JET_E_NOCOLUMN}, {"Sales Totals by Amount", 61, S_OK},
      {"Summary of Sales by Quarter", 809, S_OK}, {"Summary of Sales by Year", 809, S_OK},
      {"Ten Most Expensive Products", 10, S_OK},
  };
  for (const auto& c : cases) {
    long n = 0;
    EXPECT_EQ(CodeOf(std::string("select * from [") + c.name + "]", [&] { ++n; }), c.code) << c.name;
    EXPECT_EQ(n, c.rows) << c.name;
  }
  auto top = db->Execute("select * from [Ten Most Expensive Products]");
  EXPECT_EQ(top->ColumnName(0), "TenMostExpensiveProducts");
  EXPECT_EQ(top->Value(1).vt, VT_CY);
  // The same name twice: told apart by table, as Jet does.
  auto invoices = db->Execute("select * from Invoices");
  std::string names;
  for (int i = 0; i < invoices->ColumnCount(); ++i) names += "|" + invoices->ColumnName(i);
  EXPECT_NE(names.find("|CustomerID|Customers.CompanyName|Address|City|"), std::string::npos) << names;
  EXPECT_NE(names.find("|Shippers.CompanyName|ProductID|"), std::string::npos) << names;
}

// An Access 2007+ file whose saved queries name their kind only in MSysObjects'
// Flags: each runs by name, alone and filtered, with the first row Access shows.
TEST(SqlFiles, SavedQueriesOfAnAccess2007File) {
  auto db = jet::Database::Open(std::string(KELVANE_TESTDATA) + "/ASampleDatabase.accdb");
  const struct { const char* sql; long rows; const char* first; } cases[] = {
      {"select * from qryComputerHardwareInOwnerOrder", 24,
       "30054|Admin & Accounts|Computer Hardware|GEO Blast|Surger 350 XL|2560"},
      {"select [Asset No], Model from qryComputerHardwareInOwnerOrder where Owner = 'Sales'", 8, "30050|220ZX"},
      {"select * from qryCostsSummedByOwner", 14, "Admin & Accounts|Computer Hardware|16332"},
      {"select Owner, SumOfCost from qryCostsSummedByOwner where SumOfCost > 10000 order by SumOfCost desc", 3,
       "Sales|18804"},
      {"select * from qryGSTCalculations", 65, "30050|GEO Rocket|220ZX|1997/9/2|1995.5|1635.65573770492|359.844262295082"},
      {"select * from qryGSTCalculations where Cost > 5000", 4,
       "30055|GEO Blast|Laptop VVZ|1998/12/12|5433|4453.27868852459|979.721311475409"},
  };
  for (const auto& c : cases) {
    long rows = 0;
    std::string first;
    for (auto cursor = db->Execute(c.sql); !cursor->Eof(); cursor->MoveNext(), ++rows) {
      for (int i = 0; rows == 0 && i < cursor->ColumnCount(); ++i) {
        std::string text;
        VariantToText(cursor->Value(i), &text);
        first += (i ? "|" : "") + text;
      }
    }
    EXPECT_EQ(rows, c.rows) << c.sql;
    EXPECT_EQ(first, c.first) << c.sql;
  }
}

TEST_F(Northwind, SavedCrosstabAndUnion) {
  auto first = [&](const std::string& sql) {
    auto c = db->Execute(sql);
    std::string row, text;
    for (int i = 0; i < c->ColumnCount(); ++i)
      row += (i ? "|" : "") + c->ColumnName(i) + "=" + (VariantToText(c->Value(i), &text) == S_OK ? text : "NULL");
    return row;
  };
  EXPECT_EQ(first("select * from [Customers and Suppliers by City]"),
            "City=Aachen|CompanyName=Drachenblut Delikatessen|ContactName=Sven Ottlieb|Relationship=Customers");
  // The same sum as a plain select of that product, customer and year; a Currency.
  const char* crosstab = "select * from [Quarterly Orders by Product] where ProductName = 'Alice Mutton' "
                         "order by CustomerID";
  EXPECT_EQ(first(crosstab),
            "ProductName=Alice Mutton|CustomerID=ANTON|OrderYear=1995|Qtr 1=NULL|Qtr 2=NULL|Qtr 3=702|Qtr 4=NULL");
  EXPECT_EQ(db->Execute(crosstab)->Value(5).vt, VT_CY);
  // Text in Jet's order: accents beside their base letter, case ignored.
  EXPECT_EQ(first("select min(city), max(city), count(*) from customers where city between 'ma' and 'MONTREAL'"),
            "Expr1000=Madrid|Expr1001=México D.F.|Expr1002=10");
}

// Every expression column takes the type Jet gives it, and its text follows.
TEST_F(Northwind, ExpressionsTakeJetsTypes) {
  struct Case {
    const char* expr;
    const char* from;
    VARTYPE vt;
    const char* text;  // null: not compared (the clock)
  };
  const char* order = " from orders where orderid = 10248";
  const char* chai = " from products where productid = 1";
  const Case cases[] = {
      {"OrderDate + 7", order, VT_DATE, "1994/8/11"},
      {"7 + OrderDate - 1", order, VT_DATE, "1994/8/10"},
      {"ShippedDate - OrderDate", order, VT_R8, "12"},
      {"#1995-02-03 10:00#", order, VT_DATE, "1995/2/3 10:00:00"},
      {"DateSerial(1995, 2, 3)", order, VT_DATE, "1995/2/3"},
      {"CDate('1995-02-03')", order, VT_DATE, "1995/2/3"},
      {"Now()", order, VT_DATE, nullptr},
      {"IIf(OrderID > 0, ShippedDate, Null)", order, VT_DATE, "1994/8/16"},
      {"Nz(ShippedDate, OrderDate)", order, VT_DATE, "1994/8/16"},
      {"'Ordered ' & OrderDate", order, VT_BSTR, "Ordered 1994/8/4"},
      {"top 1 'On ' & OrderDate as x", " from orders order by x desc", VT_BSTR, "On 1996/6/5"},
      {"CStr(ShippedDate) & '|' & Year(OrderDate)", order, VT_BSTR, "1994/8/16|1994"},
      {"Year(OrderDate)", order, VT_I4, "1994"},
      {"Min(OrderDate)", " from orders", VT_DATE, "1994/8/4"},
      {"Max(OrderDate) - Min(OrderDate)", " from orders", VT_R8, "671"},
      {"First(OrderDate)", " from (select OrderDate from orders where orderid = 10248)", VT_DATE, "1994/8/4"},
      {"d + 1", " from (select OrderDate as d from orders where orderid = 10248) as x", VT_DATE, "1994/8/5"},
      {"UnitPrice > 30", chai, VT_BOOL, "0"},
      {"Not Discontinued", chai, VT_BOOL, "-1"},
      {"UnitPrice < 30 And Not Discontinued Or False", chai, VT_BOOL, "-1"},
      {"True", chai, VT_BOOL, "-1"},
      {"UnitPrice * 2", chai, VT_CY, "36"},
      {"UnitPrice / 4", chai, VT_R8, "4.5"},
      {"Sum(UnitPrice)", " from products", VT_CY, "2222.71"},
      {"Avg(UnitPrice)", " from products where categoryid = 1", VT_CY, "37.9792"},
      {"Count(*)", " from products", VT_I4, "77"},
      {"CCur(UnitPrice * Quantity * (1 - Discount))", " from [order details] where orderid = 10250 and productid = 51",
       VT_CY, "1261.4"},
      {"ProductName & ': ' & UnitPrice", chai, VT_BSTR, "Chai: 18"},
      // A Single as text has its 7 digits, not the 15 of the Double it travels as.
      {"CStr(Discount) & '|' & Discount & '|' & Left(Discount, 4)",
       " from [order details] where orderid = 10250 and productid = 51", VT_BSTR, "0.15|0.15|0.15"},
      {"Freight > ALL (select Freight from orders where ShipVia = 1)", order, VT_BOOL, "0"},
      // Money stays exact through +, -, Sum and comparisons, beyond what a REAL holds;
      // CCur rounds the Double's exact value (2.98125 lies just above its half).
      {"Sum(UnitPrice + CCur(123456789012.3456))", " from products", VT_CY, "9506172756173.3212"},
      {"Max(UnitPrice + CCur(123456789012.3456)) & '|' & Min(UnitPrice - CCur(123456789012.3456))", " from products",
       VT_BSTR, "123456789275.8456|-123456789009.8456"},
      {"CCur(0.3) - CCur(0.1) = CCur(0.2) And CCur(0.1) + CCur(0.2) = CCur(0.3)", chai, VT_BOOL, "-1"},
      {"CCur(2.98125)", chai, VT_CY, "2.9813"},
      {"CategorySales", " from [Category Sales for 1995] where CategoryName = 'Seafood'", VT_CY, "62435.02"},
      // A date is a Date to the functions that look at its type, and its text to those of text.
      {"Format(OrderDate)", order, VT_BSTR, "1994/8/4"},
      {"VarType(OrderDate)", order, VT_I4, "7"},
      {"TypeName(UnitPrice)", chai, VT_BSTR, "Currency"},
      {"IsNumeric(OrderDate)", order, VT_BOOL, "0"},
      {"IsDate(UnitPrice)", chai, VT_BOOL, "0"},
      {"Left(OrderDate, 4) & Len(OrderDate)", order, VT_BSTR, "19948"},
      {"OrderDate Like '1994/8/%'", order, VT_BOOL, "-1"},
  };
  for (const Case& c : cases) {
    std::string sql = std::string("select ") + c.expr + c.from;
    VARIANT v = db->Execute(sql)->Value(0);
    std::string text;
    VariantToText(v, &text);
    EXPECT_EQ(v.vt, c.vt) << sql;
    if (c.text) {
      EXPECT_EQ(text, c.text) << sql;
    }
  }
  // What Jet refuses before it runs.
  EXPECT_EQ(CodeOf("select * from customers where customerid = 5"), JET_E_TYPEMISMATCH);
  EXPECT_EQ(CodeOf("select * from orders where orderid = '10248'"), JET_E_TYPEMISMATCH);
  EXPECT_EQ(CodeOf("select * from orders where orderdate > '1995-01-01'"), JET_E_TYPEMISMATCH);
  EXPECT_EQ(CodeOf("select count(distinct customerid) from orders"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select * from orders where customerid = 'VINET' and orderid = 10248"), S_OK);
}

TEST_F(Northwind, ErrorsAsJetGivesThem) {
  EXPECT_EQ(CodeOf("select top 4 * from Order Details"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select top 4 * fromdate, id from orders"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select * from nosuchtable"), JET_E_NOTABLE);
  EXPECT_EQ(CodeOf("select nosuchcolumn from orders"), JET_E_NOCOLUMN);
  // A field's alias in WHERE is a parameter with no value; a column of that name is the column.
  EXPECT_EQ(CodeOf("select ProductID, UnitPrice * 2 as Dbl from Products where (UnitsInStock > 1 or [dbl] > 100)"),
            JET_E_NOCOLUMN);
  EXPECT_EQ(CodeOf("select UnitPrice * 2 as UnitPrice from Products where UnitPrice > 200"), S_OK);
  // A subquery used as a value gives one row at most.
  EXPECT_EQ(CodeOf("select * from Products where UnitPrice > (select UnitPrice from Products where CategoryID = 1)"),
            JET_E_SUBQUERYROWS);
  EXPECT_EQ(CodeOf("select (select o.OrderID from Orders o where o.CustomerID = c.CustomerID) from Customers c"),
            JET_E_SUBQUERYROWS);
  EXPECT_EQ(CodeOf("select * from Products where UnitPrice > (select UnitPrice from Products where ProductID = 1) "
                   "and ProductID in (select ProductID from [Order Details]) and exists (select * from Orders)"),
            S_OK);
  EXPECT_EQ(CodeOf("select x.Dbl from (select UnitPrice * 2 as Dbl from Products) as x where Dbl > 500"), S_OK);
  EXPECT_EQ(CodeOf(" "), JET_E_EMPTYSTATEMENT);
}

}  // namespace

namespace {

// Copies of Northwind with bytes flipped at random (a fixed seed): every statement
// over them ends in its rows or in E_FAIL from the reader, through both the
// straight path and SQLite's, and never in another code, a crash or a hang.
TEST(SqlFiles, DamagedCopiesFailWithEFailOnly) {
  std::FILE* in = std::fopen(kNwind.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::vector<uint8_t> original;
  for (int ch; (ch = std::fgetc(in)) != EOF;) original.push_back(static_cast<uint8_t>(ch));
  std::fclose(in);
  std::string path = "/tmp/sql_files_damaged_" + std::to_string(getpid()) + ".mdb";
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  int failures = 0, opened = 0;
  for (int copy = 0; copy < 40; ++copy) {
    std::vector<uint8_t> bytes = original;
    // Past the header pages, so the file still opens and the damage shows while scanning.
    for (int i = 0; i < 200; ++i) bytes[8192 + next() % (bytes.size() - 8192)] ^= static_cast<uint8_t>(1 + next() % 255);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    auto run = [&](const std::function<void()>& f) {
      try {
        f();
      } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_FAIL) << "copy " << copy;
        ++failures;
      }
    };
    run([&] {
      auto db = jet::Database::Open(path);
      ++opened;
      for (const jet::SchemaTableRow& r : db->Tables()) {
        if (r.tableType != "TABLE") continue;
        run([&] {
          for (auto c = db->Execute("select * from [" + r.tableName + "]"); !c->Eof(); c->MoveNext())
            for (int i = 0; i < c->ColumnCount(); ++i) c->Value(i);
        });
        run([&] {
          for (auto c = db->Execute("select count(*) from [" + r.tableName + "] where 1 = 1"); !c->Eof(); c->MoveNext())
            c->Value(0);
        });
      }
    });
  }
  EXPECT_GT(failures, 0);  // the damage was seen somewhere
  EXPECT_GT(opened, 10);   // and mostly while reading, not at the door
  std::remove(path.c_str());
}

}  // namespace
