// The ADO layer over the real Jet provider and real Access files.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ado/Ado.h"
#include "platform/ado/ConnectionString.h"

namespace {

const std::string kData = KELVANE_TESTDATA;

HRESULT CodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

class AdoJetTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override {
    CoUninitialize();
    EXPECT_EQ(CoInitializeCount(), 0);
  }
  _ConnectionPtr Open(const std::string& path) {
    _ConnectionPtr conn;
    EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
    conn->PutConnectionString("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    return conn;
  }
};

TEST_F(AdoJetTest, SchemaListsTheTablesOfNorthwind) {
  _ConnectionPtr conn = Open(kData + "/nwind.mdb");
  _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
  std::vector<std::string> tables, system;
  while (!rs->GetadoEOF()) {
    std::string type = rs->GetCollect("TABLE_TYPE").bstrVal;
    std::string name = rs->GetCollect("TABLE_NAME").bstrVal;
    if (type == "TABLE") tables.push_back(name);
    if (type == "SYSTEM TABLE") system.push_back(name);
    rs->MoveNext();
  }
  rs->Close();
  conn->Close();
  EXPECT_NE(std::find(tables.begin(), tables.end(), "Customers"), tables.end());
  EXPECT_NE(std::find(system.begin(), system.end(), "MSysObjects"), system.end());
  for (const std::string& t : tables) EXPECT_NE(t.rfind("MSys", 0), 0u) << t;
}

TEST_F(AdoJetTest, TopFourRowsOfCustomers) {
  _ConnectionPtr conn = Open(kData + "/nwind.mdb");
  _RecordsetPtr rs;
  ASSERT_EQ(rs.CreateInstance("ADODB.Recordset"), S_OK);
  rs->Open("select top 4 * from Customers", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
  FieldsPtr fields = rs->GetFields();
  ASSERT_GT(fields->GetCount(), 0);
  EXPECT_EQ(rs->GetCollect("customerid").vt, VT_BSTR);  // column names without regard to case
  int rows = 0;
  while (!rs->GetadoEOF()) {
    for (long i = 0; i < fields->GetCount(); ++i) {
      VARIANT v = fields->GetItem(i)->GetValue();
      std::string text;
      if (v.vt != VT_NULL) {
        EXPECT_EQ(VariantToText(v, &text), S_OK) << fields->GetItem(i)->GetName();
      }
    }
    ++rows;
    rs->MoveNext();
  }
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(CodeOf([&] { rs->MoveNext(); }), static_cast<HRESULT>(0x800A0BCD));
  rs->Close();
  conn->Close();
}

// The sort of an ORDER BY runs before the first row is there: the connection's
// stepping hook is called meanwhile, and no more once it has been taken away.
TEST_F(AdoJetTest, SteppingHookIsCalledDuringTheSortBeforeTheFirstRow) {
  _ConnectionPtr conn = Open(kData + "/nwind.mdb");
  int calls = 0;
  conn->WhileStepping([&] { ++calls; });
  _RecordsetPtr rs;
  ASSERT_EQ(rs.CreateInstance("ADODB.Recordset"), S_OK);
  const std::string sorted = "select * from [Order Details] order by Quantity, UnitPrice";
  rs->Open(sorted, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
  EXPECT_GT(calls, 0);
  rs->Close();
  conn->WhileStepping({});
  calls = 0;
  rs->Open(sorted, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
  EXPECT_EQ(calls, 0);
  rs->Close();
  conn->Close();
}

HRESULT ListTables(const std::function<_ConnectionPtr()>& open) {
  return CodeOf([&] {
    _ConnectionPtr conn = open();
    _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
    while (!rs->GetadoEOF()) rs->MoveNext();
    rs->Close();
    conn->Close();
  });
}

TEST_F(AdoJetTest, UnusableFilesFailWithEFail) {
  for (const std::string& path : {std::string(), kData + "/no such file.mdb", kData}) {
    EXPECT_EQ(ListTables([&] { return Open(path); }), E_FAIL) << path;
  }
  // A damaged file ends in E_FAIL or, where its catalog is whole, lists tables.
  HRESULT damaged = ListTables([&] { return Open(kData + "/damaged/truncated-catalog-loop.mdb"); });
  EXPECT_TRUE(damaged == S_OK || damaged == E_FAIL) << std::hex << damaged;
}

TEST_F(AdoJetTest, ProviderErrorsReachTheCaller) {
  _ConnectionPtr conn = Open(kData + "/nwind.mdb");
  auto run = [&](const std::string& sql) {
    return CodeOf([&] {
      _RecordsetPtr rs;
      rs.CreateInstance("ADODB.Recordset");
      rs->Open(sql, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    });
  };
  EXPECT_EQ(run(""), JET_E_EMPTYSTATEMENT);
  EXPECT_EQ(run("select * from NoSuchTable"), JET_E_NOTABLE);
  EXPECT_EQ(run("select NoSuchColumn from Customers"), JET_E_NOCOLUMN);
  EXPECT_EQ(run("select from from"), JET_E_SYNTAX);
  conn->Close();
}

}  // namespace

// The password reaches the provider from the connection string, quoted as OLE DB
// quotes a value with ';' or quotes in it; without it the file is refused.
TEST_F(AdoJetTest, DatabasePasswordFromTheConnectionString) {
  const std::string path = kData + "/V2010_with-password.accdb";
  auto open = [&](const std::string& extra) {
    return CodeOf([&] {
      _ConnectionPtr conn;
      ASSERT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
      conn->Open("Provider=MIcrosoft.Jet.OLEDB.4.0;" + extra + "Data source=" + path, "", "",
                 ADODB::adConnectUnspecified);
      conn->Close();
    });
  };
  EXPECT_EQ(open("jet oledb:database password=password;"), S_OK);
  EXPECT_EQ(open("Jet OLEDB:Database Password=wrong;"), JET_E_PASSWORD);
  EXPECT_EQ(open(""), JET_E_PASSWORD);
  for (const char* value : {"a;b=c", "\"x'", " 'q"}) {
    const std::string quoted = ado::QuoteValue(value);
    EXPECT_EQ(ado::ConnectionString::Parse("k=" + quoted + ";Data source=/p;q.mdb").Get("k").value(), value);
  }
}
