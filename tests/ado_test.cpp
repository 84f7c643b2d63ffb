// The ADO layer over a fake Jet database: connection strings, object creation,
// the closed/open rules and the error codes ADO raises.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "platform/ado/AdoErrors.h"
#include "platform/ado/ComFactory.h"
#include "platform/ado/ConnectionString.h"
#include "platform/ado/DatabaseOpener.h"

namespace {

using Rows = std::vector<std::vector<VARIANT>>;

class FakeCursor : public jet::Cursor {
 public:
  FakeCursor(std::vector<std::string> names, Rows rows) : m_names(std::move(names)), m_rows(std::move(rows)) {}
  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override { return m_names.at(static_cast<size_t>(col)); }
  bool Eof() const override { return m_row >= m_rows.size(); }
  void MoveNext() override { ++m_row; }
  VARIANT Value(int col) const override {
    const VARIANT& v = m_rows.at(m_row).at(static_cast<size_t>(col));
    if (v.vt == VT_ERROR) throw _com_error(v.scode);  // a value the provider cannot read
    return v;
  }
 private:
  std::vector<std::string> m_names;
  Rows m_rows;
  size_t m_row = 0;
};

class FakeDatabase : public jet::Database {
 public:
  std::vector<jet::SchemaTableRow> Tables() override {
    return {{"Customers", "TABLE"}, {"订单", "TABLE"}, {"MSysObjects", "SYSTEM TABLE"}, {"Q1", "VIEW"}};
  }
  std::unique_ptr<jet::Cursor> Execute(const std::string& sql) override {
    if (sql.empty()) throw _com_error(JET_E_EMPTYSTATEMENT);
    if (sql == "select * from Missing") throw _com_error(JET_E_NOTABLE);
    if (sql == "select * from t") {
      Rows rows;
      rows.push_back({VARIANT::I4(1), VARIANT::Str("一")});
      rows.push_back({VARIANT::I4(2), VARIANT::Null()});
      VARIANT broken; broken.vt = VT_ERROR; broken.scode = E_FAIL;
      rows.push_back({VARIANT::I4(3), broken});
      return std::make_unique<FakeCursor>(std::vector<std::string>{"ID", "名称"}, std::move(rows));
    }
    if (sql == "select * from empty") return std::make_unique<FakeCursor>(std::vector<std::string>{"ID"}, Rows{});
    throw _com_error(JET_E_SYNTAX);
  }
};

HRESULT CodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

const char* kJet = "Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=";

// Each test runs inside CoInitialize with the fake provider, and must leave the
// COM count where it found it.
class AdoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    countBefore_ = CoInitializeCount();
    CoInitialize(nullptr);
    ado::SetDatabaseOpener([this](const std::string& path) -> std::shared_ptr<jet::Database> {
      opened_.push_back(path);
      if (path == "/locked.mdb") throw _com_error(JET_E_PASSWORD);
      if (path == "/odd.mdb") throw std::runtime_error("not a _com_error");
      return std::make_shared<FakeDatabase>();
    });
  }
  void TearDown() override {
    ado::SetDatabaseOpener(nullptr);
    ado::SetCreationHook(nullptr);
    CoUninitialize();
    EXPECT_EQ(CoInitializeCount(), countBefore_);
  }
  _ConnectionPtr OpenConnection(const std::string& path = "/data/nwind.mdb") {
    _ConnectionPtr conn;
    EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
    conn->PutConnectionString(kJet + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    return conn;
  }
  _RecordsetPtr Query(const _ConnectionPtr& conn, const std::string& sql) {
    _RecordsetPtr rs;
    EXPECT_EQ(rs.CreateInstance("ADODB.Recordset"), S_OK);
    rs->Open(sql, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    return rs;
  }
  int countBefore_ = 0;
  std::vector<std::string> opened_;
};

TEST(ConnectionString, ParsedAsOleDbDoes) {
  auto cs = ado::ConnectionString::Parse("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source= /a b/c=d.mdb ");
  EXPECT_EQ(cs.Get("provider").value(), "MIcrosoft.Jet.OLEDB.4.0");
  EXPECT_EQ(cs.Get("DATA SOURCE").value(), " /a b/c=d.mdb ");  // verbatim, blanks and '=' kept
  EXPECT_FALSE(cs.Get("User ID").has_value());

  auto odd = ado::ConnectionString::Parse(";  data Source =x;;Mode=Read;data source=/p;q.mdb;");
  EXPECT_EQ(odd.Get("Data Source").value(), "/p;q.mdb");  // later key wins; ';' in a path survives
  EXPECT_EQ(odd.Get("mode").value(), "Read");

  EXPECT_EQ(ado::ConnectionString::Parse("Data source=").Get("data source").value(), "");
  EXPECT_TRUE(ado::IsJetProvider(" microsoft.jet.oledb.4.0 "));
  EXPECT_FALSE(ado::IsJetProvider("Microsoft.ACE.OLEDB.12.0"));
  EXPECT_FALSE(ado::IsJetProvider("Microsoft.Jet.OLEDB.4"));
}

TEST_F(AdoTest, OpenHandsThePathOverVerbatim) {
  const std::string path = "/home/用户/我的 数据/北风 贸易.mdb";
  _ConnectionPtr conn = OpenConnection(path);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], path);
  EXPECT_EQ(conn->GetConnectionString(), kJet + path);
  conn->Close();
}

TEST_F(AdoTest, ProviderAndDataSourceChecks) {
  auto openWith = [](const std::string& s) {
    return CodeOf([&] {
      _ConnectionPtr conn;
      conn.CreateInstance(ADODB::CLSID_Connection);
      conn->PutConnectionString(s);
      conn->Open("", "", "", -1);
    });
  };
  EXPECT_EQ(openWith("provider=microsoft.jet.oledb.4.0;DATA SOURCE=/a.mdb"), S_OK);
  EXPECT_EQ(openWith("Data source=/a.mdb"), E_FAIL);
  EXPECT_EQ(openWith("Provider=Microsoft.ACE.OLEDB.12.0;Data source=/a.mdb"), ado::adErrProviderNotFound);
  EXPECT_EQ(openWith(kJet), E_FAIL);  // empty Data source is not refused before Open, Open fails
  EXPECT_EQ(openWith(std::string(kJet) + "/locked.mdb"), JET_E_PASSWORD);
  EXPECT_EQ(openWith(std::string(kJet) + "/odd.mdb"), E_FAIL);
  EXPECT_EQ(opened_, (std::vector<std::string>{"/a.mdb", "/locked.mdb", "/odd.mdb"}));
}

TEST_F(AdoTest, ConnectionOpenAndClosedRules) {
  _ConnectionPtr conn;
  ASSERT_EQ(conn.CreateInstance("ADODB.Connection"), S_OK);
  EXPECT_EQ(CodeOf([&] { conn->Close(); }), ado::adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { conn->OpenSchema(ADODB::adSchemaTables); }), ado::adErrObjectClosed);
  conn->Open(std::string(kJet) + "/x.mdb", "", "", -1);  // the argument sets the string
  EXPECT_EQ(CodeOf([&] { conn->Open("", "", "", -1); }), ado::adErrObjectOpen);
  EXPECT_EQ(CodeOf([&] { conn->PutConnectionString("x"); }), ado::adErrObjectOpen);
  EXPECT_EQ(CodeOf([&] { conn->OpenSchema(static_cast<ADODB::SchemaEnum>(17)); }), ado::adErrFeatureNotAvailable);
  conn->Close();
  EXPECT_EQ(CodeOf([&] { conn->Close(); }), ado::adErrObjectClosed);
  conn->Open("", "", "", -1);  // reopens with the string it keeps
  conn->Close();
}

TEST_F(AdoTest, SchemaRowsetListsTables) {
  _ConnectionPtr conn = OpenConnection();
  _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
  FieldsPtr fields = rs->GetFields();
  ASSERT_EQ(fields->GetCount(), 9);
  const char* names[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE", "TABLE_GUID",
                         "DESCRIPTION", "TABLE_PROPID", "DATE_CREATED", "DATE_MODIFIED"};
  for (long i = 0; i < 9; ++i) EXPECT_EQ(fields->GetItem(i)->GetName(), names[i]);
  std::vector<std::string> seen;
  while (!rs->GetadoEOF()) {
    EXPECT_EQ(rs->GetCollect("TABLE_CATALOG").vt, VT_NULL);
    seen.push_back(rs->GetCollect("table_type").bstrVal + ":" + rs->GetCollect("Table_Name").bstrVal);
    rs->MoveNext();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"TABLE:Customers", "TABLE:订单", "SYSTEM TABLE:MSysObjects", "VIEW:Q1"}));
  EXPECT_EQ(CodeOf([&] { rs->MoveNext(); }), ado::adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { rs->GetCollect("TABLE_NAME"); }), ado::adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { rs->GetCollect("NO_SUCH"); }), ado::adErrItemNotFound);
  rs->Close();
  conn->Close();
}

TEST_F(AdoTest, RecordsetWalksAQuery) {
  _ConnectionPtr conn = OpenConnection();
  _RecordsetPtr rs = Query(conn, "select * from t");
  FieldsPtr fields = rs->GetFields();
  ASSERT_EQ(fields->GetCount(), 2);
  EXPECT_EQ(fields->GetItem(1)->GetName(), "名称");
  EXPECT_EQ(CodeOf([&] { fields->GetItem(2); }), ado::adErrItemNotFound);
  EXPECT_EQ(CodeOf([&] { fields->GetItem(-1); }), ado::adErrItemNotFound);
  FieldPtr name = fields->GetItem(1);
  EXPECT_EQ(name->GetValue().bstrVal, "一");
  EXPECT_EQ(name->PeekValue().bstrVal, "一");
  EXPECT_EQ(rs->GetCollect("名称").bstrVal, "一");
  rs->MoveNext();
  EXPECT_EQ(name->GetValue().vt, VT_NULL);  // a Field follows the current record
  rs->MoveNext();
  EXPECT_EQ(fields->GetItem(0)->GetValue().lVal, 3);
  EXPECT_EQ(CodeOf([&] { name->GetValue(); }), E_FAIL);  // the provider's failure passes through
  EXPECT_EQ(CodeOf([&] { name->PeekValue(); }), E_FAIL);
  rs->MoveNext();
  EXPECT_TRUE(rs->GetadoEOF());
  EXPECT_EQ(CodeOf([&] { name->GetValue(); }), ado::adErrNoCurrentRecord);
  EXPECT_EQ(CodeOf([&] { name->PeekValue(); }), ado::adErrNoCurrentRecord);
  rs->Close();
  EXPECT_EQ(CodeOf([&] { name->GetValue(); }), ado::adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { name->PeekValue(); }), ado::adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { rs->Close(); }), ado::adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { rs->GetadoEOF(); }), ado::adErrObjectClosed);
  EXPECT_EQ(CodeOf([&] { rs->MoveNext(); }), ado::adErrObjectClosed);
  EXPECT_EQ(rs->GetFields()->GetCount(), 0);  // a closed recordset has no fields
  conn->Close();
}

TEST_F(AdoTest, RecordsetNeedsAnOpenConnection) {
  _RecordsetPtr rs;
  ASSERT_EQ(rs.CreateInstance(ADODB::CLSID_Recordset), S_OK);
  _ConnectionPtr none;
  EXPECT_EQ(CodeOf([&] { rs->Open("select * from t", none, ADODB::adOpenStatic, ADODB::adLockOptimistic, 1); }),
            ado::adErrInvalidConnection);
  _ConnectionPtr closed;
  closed.CreateInstance(ADODB::CLSID_Connection);
  EXPECT_EQ(CodeOf([&] { rs->Open("select * from t", closed, ADODB::adOpenStatic, ADODB::adLockOptimistic, 1); }),
            ado::adErrInvalidConnection);
  EXPECT_EQ(CodeOf([&] { rs->Close(); }), ado::adErrObjectClosed);

  _ConnectionPtr conn = OpenConnection();
  EXPECT_EQ(CodeOf([&] { Query(conn, "select * from Missing"); }), JET_E_NOTABLE);
  EXPECT_EQ(CodeOf([&] { Query(conn, ""); }), JET_E_EMPTYSTATEMENT);
  _RecordsetPtr empty = Query(conn, "select * from empty");
  EXPECT_TRUE(empty->GetadoEOF());
  EXPECT_EQ(CodeOf([&] { empty->Open("select * from t", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, 1); }),
            ado::adErrObjectOpen);
  // Closing the connection closes what was opened through it.
  conn->Close();
  EXPECT_EQ(CodeOf([&] { empty->GetadoEOF(); }), ado::adErrObjectClosed);
}

TEST_F(AdoTest, FactoryCreatesByClassIdAndProgId) {
  _RecordsetPtr rs;
  EXPECT_EQ(rs.CreateInstance("adodb.recordset"), S_OK);
  EXPECT_TRUE(rs);
  EXPECT_EQ(rs.CreateInstance("ADODB.Recordsets"), CO_E_CLASSSTRING);
  EXPECT_FALSE(rs);  // a failed creation leaves the reference empty
  EXPECT_EQ(rs.CreateInstance(ADODB::CLSID_Connection), E_NOINTERFACE);
  EXPECT_EQ(rs.CreateInstance(ADODB::IID__Recordset), REGDB_E_CLASSNOTREG);  // an interface is no class
  _ConnectionPtr conn;
  EXPECT_EQ(conn.CreateInstance("ADODB.Connection.6.0"), S_OK);
  FieldsPtr fields;
  EXPECT_EQ(fields.CreateInstance(ADODB::CLSID_Recordset), E_NOINTERFACE);
}

TEST_F(AdoTest, FactoryFailsTheChosenCreation) {
  ado::FailNthCreation(2, E_OUTOFMEMORY);
  _ConnectionPtr conn;
  _RecordsetPtr rs;
  EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
  EXPECT_EQ(rs.CreateInstance(ADODB::CLSID_Recordset), E_OUTOFMEMORY);
  EXPECT_FALSE(rs);
  EXPECT_EQ(rs.CreateInstance("ADODB.Recordset"), S_OK);
  EXPECT_EQ(ado::CreationCount(), 3);

  std::vector<bool> connections;
  ado::SetCreationHook([&](const CLSID& clsid, int) {
    connections.push_back(clsid == ADODB::CLSID_Connection);
    return REGDB_E_CLASSNOTREG;
  });
  EXPECT_EQ(conn.CreateInstance("ADODB.Connection"), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(rs.CreateInstance(ADODB::CLSID_Recordset), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(connections, (std::vector<bool>{true, false}));
}

TEST_F(AdoTest, EmptyReferenceIsEPointer) {
  _RecordsetPtr rs;
  EXPECT_EQ(CodeOf([&] { rs->GetadoEOF(); }), E_POINTER);
  _ConnectionPtr conn = OpenConnection();
  conn.Release();
  EXPECT_EQ(CodeOf([&] { conn->Close(); }), E_POINTER);
}

TEST(AdoCreation, NeedsCoInitialize) {
  ASSERT_EQ(CoInitializeCount(), 0);
  _ConnectionPtr conn;
  EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), ado::CO_E_NOTINITIALIZED);
  EXPECT_FALSE(conn);
}

// The table-list operation as the dialog runs it, on both paths: the COM count
// ends where it began, and a failure inside the guarded section carries its code.
HRESULT TableListOperation(const std::string& path, std::vector<std::string>* tables) {
  CoInitialize(nullptr);
  _ConnectionPtr conn;
  _RecordsetPtr rs;
  HRESULT result = S_OK;
  try {
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    _com_issue_errorex(rs.CreateInstance(ADODB::CLSID_Recordset));
    conn->PutConnectionString(kJet + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    rs.CreateInstance("ADODB.Recordset");
    rs = conn->OpenSchema(ADODB::adSchemaTables);
    while (!rs->GetadoEOF()) {
      std::string type, name;
      VariantToText(rs->GetCollect("TABLE_TYPE"), &type);
      VariantToText(rs->GetCollect("TABLE_NAME"), &name);
      if (type == "TABLE") tables->push_back(name);
      rs->MoveNext();
    }
    rs->Close();
    conn->Close();
  } catch (const _com_error& e) {
    result = e.Error();
  }
  rs.Release();
  conn.Release();
  CoUninitialize();
  return result;
}

TEST(AdoFrame, CountIsBalancedOnBothPaths) {
  ado::SetDatabaseOpener([](const std::string& path) -> std::shared_ptr<jet::Database> {
    if (path.empty()) throw _com_error(E_FAIL);
    return std::make_shared<FakeDatabase>();
  });
  std::vector<std::string> tables;
  EXPECT_EQ(TableListOperation("/n.mdb", &tables), S_OK);
  EXPECT_EQ(tables, (std::vector<std::string>{"Customers", "订单"}));
  EXPECT_EQ(CoInitializeCount(), 0);
  EXPECT_EQ(TableListOperation("", &tables), E_FAIL);
  EXPECT_EQ(CoInitializeCount(), 0);
  ado::FailNthCreation(2, E_OUTOFMEMORY);
  EXPECT_EQ(TableListOperation("/n.mdb", &tables), E_OUTOFMEMORY);
  EXPECT_EQ(CoInitializeCount(), 0);
  ado::SetCreationHook(nullptr);
  ado::SetDatabaseOpener(nullptr);
}

}  // namespace
