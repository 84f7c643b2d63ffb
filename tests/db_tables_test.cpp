// Choosing the source file and listing its tables, on real widgets: the open dialog
// as it is asked for, the two outcomes of the file test, and the table list filled
// from the schema rows of type TABLE, on fixtures, on Access files and on a
// connection that fails half-way through the listing.
#include <wx/dnd.h>
#include <wx/window.h>

#include <fstream>

#include "db/ConnectionMaker.h"
#include "platform/ado/ComFactory.h"
#include "support/DbDialog.h"
#include "support/DbFixture.h"

namespace {

class TablesTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    m_fixture = m_dir + "/fixture.mdb";
    WriteDbFixture(m_fixture);
  }
  std::string m_fixture;
};

// The schema rows of type TABLE, in the order the ADO layer reports them.
std::vector<std::string> SchemaTables(const std::string& path) {
  std::vector<std::string> names;
  CoInitialize(nullptr);
  {
    _ConnectionPtr conn;
    EXPECT_EQ(conn.CreateInstance(ADODB::CLSID_Connection), S_OK);
    conn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path, "", "", -1);
    _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
    for (; !rs->GetadoEOF(); rs->MoveNext())
      if (rs->GetCollect("TABLE_TYPE").bstrVal == "TABLE") names.push_back(rs->GetCollect("TABLE_NAME").bstrVal);
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
  return names;
}

TEST_F(TablesTest, ListsUserTablesInSchemaOrderAndSelectsTheFirst) {
  dlg->m_strMdbFile = m_fixture.c_str();
  dlg->LoadTableList();
  std::vector<std::string> expected = SchemaTables(m_fixture);
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(dlg->Tables(), expected);
  EXPECT_EQ(dlg->m_cbTable.GetCurSel(), 0);
  EXPECT_EQ(dlg->Status().str(), "获取数据表格操作完成。");
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_TABLES));
  EXPECT_EQ(CoInitializeCount(), m_comStart);
  for (const std::string& name : dlg->Tables()) {
    EXPECT_NE(name.rfind("MSys", 0), 0u) << name;  // no system table
    EXPECT_NE(name, "WideNames");                  // no saved query
  }
}

TEST_F(TablesTest, PressingTwiceListsEachTableOnce) {
  dlg->m_strMdbFile = m_fixture.c_str();
  dlg->LoadTableList();
  dlg->m_cbTable.SetCurSel(2);
  dlg->LoadTableList();
  EXPECT_EQ(dlg->Tables(), SchemaTables(m_fixture));
  EXPECT_EQ(dlg->m_cbTable.GetCurSel(), 0);
}

TEST_F(TablesTest, DatabaseWithoutUserTablesEndsEmptyWithTheSuccessText) {
  dlg->m_cbTable.InsertString(0, "Earlier");
  dlg->m_cbTable.SetCurSel(0);
  dlg->m_strMdbFile = TestData("V2000_empty.mdb").c_str();
  dlg->LoadTableList();
  EXPECT_EQ(dlg->m_cbTable.GetCount(), 0);
  EXPECT_EQ(dlg->m_cbTable.GetCurSel(), CB_ERR);
  EXPECT_EQ(dlg->Status().str(), "获取数据表格操作完成。");
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_TABLES));
}

TEST_F(TablesTest, MissingFileShowsTheDatabaseErrorBox) {
  dlg->m_cbTable.InsertString(0, "Earlier");
  dlg->m_strMdbFile = (m_dir + "/nothing here.mdb").c_str();
  BehindBox seen;
  {
    ModalScript script;
    ExpectDbBox(script, IDC_BTN_TABLES, &seen);
    dlg->LoadTableList();
    ASSERT_EQ(script.Asked().size(), 1u);
    const ModalRequest& box = script.Asked()[0];
    EXPECT_EQ(WithoutCause(box.text.str()), BoxText(E_FAIL));
    EXPECT_EQ(box.caption.str(), AfxGetAppName());
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  }
  EXPECT_EQ(seen.status.str(), "获取数据表格发生错误。");
  EXPECT_TRUE(seen.buttonEnabled);
  EXPECT_EQ(seen.comCount, m_comStart);
  EXPECT_EQ(dlg->m_cbTable.GetCount(), 0);
  EXPECT_EQ(CoInitializeCount(), m_comStart);
}

TEST_F(TablesTest, PathWithBlanksAndChineseGoesToTheProviderVerbatim) {
  std::string folder = m_dir + "/数据 文件";
  std::filesystem::create_directories(folder);
  std::string path = folder + "/我的 库.mdb";
  std::filesystem::copy_file(m_fixture, path);
  dlg->m_strMdbFile = path.c_str();
  dlg->LoadTableList();
  EXPECT_EQ(dlg->Tables(), SchemaTables(m_fixture));
}

TEST_F(TablesTest, FailedObjectCreationEndsLikeTheErrorPath) {
  dlg->m_strMdbFile = m_fixture.c_str();
  for (int n : {1, 2}) {  // the Connection, then the Recordset
    ado::FailNthCreation(n, E_OUTOFMEMORY);
    BehindBox seen;
    {
      ModalScript script;
      ExpectDbBox(script, IDC_BTN_TABLES, &seen);
      dlg->LoadTableList();
      ASSERT_EQ(script.Asked().size(), 1u);
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(E_OUTOFMEMORY));
    }
    ado::SetCreationHook({});
    EXPECT_EQ(seen.status.str(), "获取数据表格发生错误。");
    EXPECT_TRUE(dlg->Enabled(IDC_BTN_TABLES));
    EXPECT_EQ(CoInitializeCount(), m_comStart);
  }
}

// A schema listing whose rows are given, and which fails on the row with a NULL type
// (a type that has no text), as a provider might half-way through a damaged catalog.
class ScriptedSchema : public ADODB::_Recordset {
 public:
  explicit ScriptedSchema(std::vector<std::pair<VARIANT, std::string>> rows, std::vector<std::string>* namesRead)
      : m_rows(std::move(rows)), m_namesRead(namesRead) {}
  void Open(const std::string&, const _ConnectionPtr&, ADODB::CursorTypeEnum, ADODB::LockTypeEnum, long) override {}
  bool GetadoEOF() override { return m_row >= m_rows.size(); }
  void MoveNext() override { ++m_row; }
  VARIANT GetCollect(const std::string& column) override {
    if (column == "TABLE_TYPE") return m_rows[m_row].first;
    m_namesRead->push_back(m_rows[m_row].second);
    return VARIANT::Str(m_rows[m_row].second);
  }
  FieldsPtr GetFields() override { throw _com_error(E_FAIL); }
  void Close() override {}

 private:
  std::vector<std::pair<VARIANT, std::string>> m_rows;
  size_t m_row = 0;
  std::vector<std::string>* m_namesRead;
};

class ScriptedConnection : public ADODB::_Connection {
 public:
  ScriptedConnection(std::vector<std::pair<VARIANT, std::string>> rows, std::vector<std::string>* namesRead)
      : m_rows(std::move(rows)), m_namesRead(namesRead) {}
  void PutConnectionString(const std::string& s) override { m_cs = s; }
  std::string GetConnectionString() override { return m_cs; }
  void Open(const std::string&, const std::string&, const std::string&, long) override {}
  _RecordsetPtr OpenSchema(ADODB::SchemaEnum, const VARIANT&, const VARIANT&) override {
    return _RecordsetPtr(std::make_shared<ScriptedSchema>(m_rows, m_namesRead));
  }
  void Close() override {}

 private:
  std::vector<std::pair<VARIANT, std::string>> m_rows;
  std::vector<std::string>* m_namesRead;
  std::string m_cs;
};

TEST_F(TablesTest, OnlyExactTableTypesAndAFailureHalfWayKeepsWhatWasListed) {
  std::vector<std::string> namesRead;
  std::vector<std::pair<VARIANT, std::string>> rows = {
      {VARIANT::Str("TABLE"), "Zeta"},          {VARIANT::Str("SYSTEM TABLE"), "MSysObjects"},
      {VARIANT::Str("table"), "lower"},         {VARIANT::Str(" TABLE"), "blank"},
      {VARIANT::Str("VIEW"), "Query"},          {VARIANT::Str("TABLE"), "Alpha"},
      {VARIANT::Null(), "after the failure"},   {VARIANT::Str("TABLE"), "never"}};
  db::SetConnectionMaker([&](_ConnectionPtr* out) {
    *out = _ConnectionPtr(std::make_shared<ScriptedConnection>(rows, &namesRead));
    return S_OK;
  });
  dlg->m_strMdbFile = "scripted.mdb";
  BehindBox seen;
  {
    ModalScript script;
    ExpectDbBox(script, IDC_BTN_TABLES, &seen);
    dlg->LoadTableList();
    ASSERT_EQ(script.Asked().size(), 1u);
    EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(DISP_E_TYPEMISMATCH));
  }
  db::SetConnectionMaker({});
  // Not sorted, only exact "TABLE", and the names of other rows never read.
  EXPECT_EQ(dlg->Tables(), (std::vector<std::string>{"Zeta", "Alpha"}));
  EXPECT_EQ(namesRead, (std::vector<std::string>{"Zeta", "Alpha"}));
  EXPECT_EQ(dlg->m_cbTable.GetCurSel(), CB_ERR);
  EXPECT_EQ(seen.status.str(), "获取数据表格发生错误。");
  EXPECT_TRUE(seen.buttonEnabled);
  EXPECT_EQ(CoInitializeCount(), m_comStart);
}

TEST_F(TablesTest, NwindListsItsNineUserTables) {
  dlg->m_strMdbFile = TestData("nwind.mdb").c_str();
  dlg->LoadTableList();
  std::vector<std::string> tables = dlg->Tables();
  EXPECT_EQ(tables.size(), 9u);
  EXPECT_EQ(tables, SchemaTables(TestData("nwind.mdb")));
  EXPECT_NE(std::find(tables.begin(), tables.end(), "Order Details"), tables.end());
  EXPECT_NE(std::find(tables.begin(), tables.end(), "Umsätze"), tables.end());
  for (const std::string& name : tables) EXPECT_NE(name.rfind("MSys", 0), 0u) << name;
  EXPECT_EQ(dlg->m_cbTable.GetCurSel(), 0);
}

TEST_F(TablesTest, AccessFilesOfBothJetVersionsAreListed) {
  for (const char* file : {"V1997_test.mdb", "V2000_test.mdb"}) {
    dlg->m_strMdbFile = TestData(file).c_str();
    dlg->LoadTableList();
    std::vector<std::string> expected = SchemaTables(TestData(file));
    EXPECT_FALSE(expected.empty()) << file;
    EXPECT_EQ(dlg->Tables(), expected) << file;
    EXPECT_EQ(dlg->Status().str(), "获取数据表格操作完成。") << file;
  }
}

// ---- Choosing the source file.

TEST_F(TablesTest, ClicksTakeTheUsersPathFromImportToPreview) {
  {
    ModalScript script;
    script.ExpectFileOpen(m_fixture.c_str());
    dlg->GetDlgItem(IDC_BTN_IMPORT)->SendMessage(BM_CLICK);
  }
  dlg->GetDlgItem(IDC_BTN_TABLES)->SendMessage(BM_CLICK);
  EXPECT_EQ(dlg->Tables(), SchemaTables(m_fixture));
  dlg->SelectTable("Narrow");
  dlg->GetDlgItem(IDC_BTN_PREVIEW)->SendMessage(BM_CLICK);
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 3);
  EXPECT_EQ(dlg->Status().str(), "获取数据完成。");
}

TEST_F(TablesTest, ImportAsksForAnAccessFileAndTakesAnExistingOne) {
  dlg->m_cbTable.InsertString(0, "Earlier");
  dlg->SetDlgItemText(IDC_STATIC_STATUS, "等待");
  dlg->m_strMdbFile = (m_dir + "/earlier.mdb").c_str();
  {
    ModalScript script;
    script.ExpectFileOpen((m_dir + "/fixture").c_str());  // typed without .mdb
    dlg->OnBtnImport();
    ASSERT_EQ(script.Asked().size(), 1u);
    const ModalRequest& ask = script.Asked()[0];
    EXPECT_EQ(ask.kind, ModalRequest::FileOpen);
    EXPECT_EQ(ask.filter.str(), "MS Access数据库(*.mdb;*.accdb)|*.mdb;*.accdb|所有文件|*.*||");
    EXPECT_EQ(ask.defExt.str(), "MDB");
    EXPECT_TRUE(ask.fileName.IsEmpty());
    EXPECT_EQ(ask.flags, 2049u);
    EXPECT_EQ(ask.owner, dlg.get());
    EXPECT_EQ(ask.initialDir.str(), m_dir);  // the current source's folder
  }
  EXPECT_EQ(dlg->m_strMdbFile.str(), m_fixture);
  EXPECT_EQ(dlg->Text(IDC_EDIT_MDBFILE).str(), m_fixture);
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_TABLES));
  // The tables of the new file come only with the next listing.
  EXPECT_EQ(dlg->Tables(), (std::vector<std::string>{"Earlier"}));
  EXPECT_EQ(dlg->Status().str(), "等待");
}

TEST_F(TablesTest, ImportRefusesAMissingFileAndKeepsTheEarlierPath) {
  {
    ModalScript script;
    script.ExpectFileOpen(m_fixture.c_str());
    dlg->OnBtnImport();
  }
  std::string missing = m_dir + "/gone";
  {
    ModalScript script;
    script.ExpectFileOpen(missing.c_str());
    bool enabledAtBox = true;
    script.ExpectMessageBox(IDOK).OnShow([&](const ModalRequest&) { enabledAtBox = dlg->Enabled(IDC_BTN_TABLES); });
    dlg->OnBtnImport();
    ASSERT_EQ(script.Asked().size(), 2u);
    const ModalRequest& box = script.Asked()[1];
    EXPECT_EQ(box.text.str(), "文件无效！");
    EXPECT_EQ(box.caption.str(), "");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(enabledAtBox);
  }
  EXPECT_EQ(dlg->m_strMdbFile.str(), m_fixture);
  EXPECT_EQ(dlg->Text(IDC_EDIT_MDBFILE).str(), m_fixture);
  EXPECT_FALSE(dlg->Enabled(IDC_BTN_TABLES));

  // A folder is no file either.
  {
    ModalScript script;
    script.ExpectFileOpen(m_dir.c_str());
    script.ExpectMessageBox(IDOK);
    dlg->OnBtnImport();
  }
  EXPECT_EQ(dlg->m_strMdbFile.str(), m_fixture);
}

TEST_F(TablesTest, CancelledImportChangesNothing) {
  dlg->m_strMdbFile = "kept.mdb";
  {
    ModalScript script;
    script.ExpectFileOpen(nullptr);
    dlg->OnBtnImport();
  }
  EXPECT_EQ(dlg->m_strMdbFile.str(), "kept.mdb");
  EXPECT_FALSE(dlg->Enabled(IDC_BTN_TABLES));
}

// A drop, as the toolkit hands a file manager's drop to the window's drop target:
// chosen and listed once the drop has ended; refused while an operation runs.
TEST_F(TablesTest, DroppedFileIsChosenAndListed) {
  const std::string named = m_dir + "/我的 库.MDB", lock = m_dir + "/我的 库.ldb";
  std::filesystem::copy_file(m_fixture, named);
  std::ofstream(lock) << "lock";
  struct Case { std::vector<std::string> drop; bool busy; const char* taken; const char* box; };
  const Case cases[] = {{{named}, false, named.c_str(), nullptr},
                        {{lock, named}, false, named.c_str(), nullptr},  // the Access file of several
                        {{m_dir + "/gone.mdb"}, false, nullptr, "文件无效！"},
                        {{named}, true, nullptr, nullptr}};
  auto* target = dynamic_cast<wxFileDropTarget*>(dlg->m_hWnd->GetDropTarget());
  ASSERT_NE(target, nullptr);
  for (const Case& c : cases) {
    dlg->m_strMdbFile = "";
    dlg->m_cbTable.ResetContent();
    ModalScript script;
    if (c.box) script.ExpectMessageBox(IDOK);
    wxArrayString names;
    for (const std::string& name : c.drop) names.Add(wxString::FromUTF8(name));
    if (c.busy) dlg->BeginModalState();
    EXPECT_EQ(target->OnDropFiles(0, 0, names), !c.busy);
    if (c.busy) dlg->EndModalState();
    AfxPumpMessages();
    EXPECT_EQ(dlg->m_strMdbFile.str(), c.taken ? c.taken : "") << c.drop[0];
    EXPECT_EQ(dlg->Tables(), c.taken ? SchemaTables(m_fixture) : std::vector<std::string>{});
    if (c.box) { EXPECT_EQ(script.Asked().at(0).text.str(), c.box); }
  }
}

// ---- The listing at start-up, from a stored source path.

class StartupTest : public ::testing::Test {};

TEST_F(StartupTest, StoredSourcePathIsListedDuringInitialisation) {
  ASSERT_TRUE(AfxWinInit());
  char tmpl[] = "/tmp/kelvane-db-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  std::string mdb = dir + "/fixture.mdb";
  WriteDbFixture(mdb);
  std::filesystem::create_directories(dir + "/config/kelvane");
  std::ofstream(dir + "/config/kelvane/kelvane.ini") << "mdbfile=" << mdb << "\n";
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  {
    DbTestDlg dlg;
    ASSERT_TRUE(dlg.Create(CExportDlg::IDD));
    EXPECT_EQ(dlg.Text(IDC_EDIT_MDBFILE).str(), mdb);
    EXPECT_EQ(dlg.Tables(), SchemaTables(mdb));
    EXPECT_EQ(dlg.m_cbTable.GetCurSel(), 0);
    EXPECT_TRUE(dlg.Enabled(IDC_BTN_TABLES));
    EXPECT_EQ(dlg.Status().str(), "获取数据表格操作完成。");
    dlg.DestroyWindow();
  }
  std::filesystem::remove_all(dir);
}

TEST_F(StartupTest, StoredPathThatIsGoneShowsTheBoxDuringInitialisation) {
  ASSERT_TRUE(AfxWinInit());
  char tmpl[] = "/tmp/kelvane-db-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  std::filesystem::create_directories(dir + "/config/kelvane");
  std::ofstream(dir + "/config/kelvane/kelvane.ini") << "mdbfile=" << dir << "/gone.mdb\n";
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  {
    DbTestDlg dlg;
    {
      ModalScript script;
      script.ExpectMessageBox(IDOK);
      ASSERT_TRUE(dlg.Create(CExportDlg::IDD));
      ASSERT_EQ(script.Asked().size(), 1u);
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()),
                dir + "/gone.mdb\r\n\r\n连接数据库失败!\r\n\r\n错误信息:" + _com_error(E_FAIL).ErrorMessage());
    }
    // Enabled at the end of the listing, whatever it gave.
    EXPECT_TRUE(dlg.Enabled(IDC_BTN_TABLES));
    EXPECT_EQ(dlg.Status().str(), "获取数据表格发生错误。");
    EXPECT_EQ(dlg.m_cbTable.GetCount(), 0);
    dlg.DestroyWindow();
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
