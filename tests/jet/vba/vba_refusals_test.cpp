// Through the provider: a statement calls Jet's functions and nothing else.
// Unknown names and SQLite's own functions (however they are spelled) are the
// unknown-function error; what is not reading never runs. Over Northwind, the
// new functions answer as Access would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/Provider.h"
#include "support/FakeMdbFile.h"

namespace {

std::shared_ptr<jet::Database> Fixture() {
  auto file = std::make_shared<fake::MdbFile>();
  fake::Table t;
  t.name = "t";
  t.columns = {{"n", jet::AccessType::LongInteger}, {"s", jet::AccessType::Text}};
  t.rows = {{VARIANT::I4(255), VARIANT::Str("abc")}};
  file->Add(t);
  return jet::Database::OpenOver(file);
}

HRESULT CodeOf(jet::Database& db, const std::string& sql) {
  try {
    for (auto c = db.Execute(sql); !c->Eof(); c->MoveNext()) {
    }
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

std::string FirstText(jet::Database& db, const std::string& sql) {
  auto c = db.Execute(sql);
  std::string row;
  for (int i = 0; i < c->ColumnCount(); ++i) {
    std::string text;
    VARIANT v = c->Value(i);
    row += (i ? "|" : "") + (v.vt == VT_NULL ? "NULL" : VariantToText(v, &text) == S_OK ? text : "?");
  }
  return row;
}

TEST(VbaRefusals, OnlyJetFunctionsAndOnlyReading) {
  auto db = Fixture();
  const struct {
    const char* sql;
    HRESULT code;
  } cases[] = {
      {"select sqlite_version() from t", JET_E_NOCOLUMN},
      {"select printf('%d', n) from t", JET_E_NOCOLUMN},
      {"select NoSuchFunction(n) from t", JET_E_NOCOLUMN},
      {"select vba_left(s, 1) from t", JET_E_NOCOLUMN},  // our own SQLite names are not Jet's
      {"select Cat(s, s), Pow(n, 2) from t", JET_E_NOCOLUMN},  // nor are the operators' calls
      {"select [printf]('%d', n) from t", JET_E_NOCOLUMN},  // a quoted name reaches the authorizer
      {"select * from t where [load_extension]('x') is null", JET_E_NOCOLUMN},
      {"select * from t where n in (select [total](n) from t)", JET_E_NOCOLUMN},
      {"select Max(n, 2) from t", JET_E_SYNTAX},
      {"select Left(s) from t", JET_E_SYNTAX},
      {"pragma table_info(t)", JET_E_SYNTAX},
      {"attach database 'x.db' as x", JET_E_SYNTAX},
      {"select Hex(n), Log(Exp(1)), Asc(s) from t", S_OK},
      {"select Max(n), Count(*) from t", S_OK},
  };
  for (const auto& c : cases) EXPECT_EQ(CodeOf(*db, c.sql), c.code) << c.sql;
  // Jet's Log is natural and its Hex is of the number, not of the text's bytes.
  EXPECT_EQ(FirstText(*db, "select Hex(n), Log(Exp(2)), Asc(s), InStrRev(s, 'c') from t"), "FF|2|97|3");
}

TEST(VbaRefusals, NorthwindStatements) {
  auto db = jet::Database::OpenOver(jet::MdbFile::Open(std::string(KELVANE_TESTDATA) + "/nwind.mdb"));
  EXPECT_EQ(FirstText(*db,
                      "select top 1 DatePart('q', OrderDate), Format(OrderDate, 'yyyy-mm-dd ddd'), "
                      "DateDiff('d', OrderDate, ShippedDate), Format(Freight, 'Currency'), "
                      "Switch(Freight > 100, 'high', True, 'low'), Choose(EmployeeID, 'a', 'b', 'c', 'd', 'e') "
                      "from Orders order by OrderID"),
            "3|1994-08-04 Thu|12|¥32.38|low|e");
  // Day arithmetic and its inverse agree on every shipped order.
  EXPECT_EQ(FirstText(*db, "select count(ShippedDate), "
                           "sum(IIf(DateAdd('d', DateDiff('d', OrderDate, ShippedDate), OrderDate) = ShippedDate, 1, 0)), "
                           "sum(IIf(DatePart('ww', OrderDate) = Val(Format(OrderDate, 'ww')), 1, 0)) from Orders"),
            "809|809|830");
}

}  // namespace
