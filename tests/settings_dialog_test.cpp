// The settings kept between runs, seen as a user sees them: a real dialog under
// Xvfb starts on a prepared settings file (XDG_CONFIG_HOME in a fresh folder), is
// used through its controls, and is destroyed; the file it leaves is then read back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/ostrum/ConfigText.h"
#include "res/Resource.h"
#include "support/JetWriter.h"
#include "support/ModalScript.h"
#include "ui/ExportDlg.h"

namespace {

using ostrum::ConfigValues;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Two tables: "People" comes first in the listing, so it is what start-up selects.
void WritePeopleDb(const std::string& path) {
  using jetwriter::Column;
  using T = jet::AccessType;
  jetwriter::Table people;
  people.name = "People";
  people.columns = {Column{"Id", T::LongInteger}, Column{"Name", T::Text, 40}};
  people.rowCount = 2;
  people.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str(r == 0 ? "Ann" : "Bob");
  };
  jetwriter::Table towns;
  towns.name = "Towns";
  towns.columns = {Column{"Town", T::Text, 40}};
  towns.rowCount = 1;
  towns.row = [](uint64_t, std::vector<VARIANT>& v) { v[0] = VARIANT::Str("Graz"); };
  jetwriter::WriteJet4(path, {people, towns});
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AfxWinInit()) << "no display: run under xvfb-run";
    char tmpl[] = "/tmp/kelvane-settings-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    ini = dir + "/config/kelvane/kelvane.ini";
    db = dir + "/people.mdb";
    WritePeopleDb(db);
  }
  void TearDown() override {
    Close();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  void Store(const ConfigValues& values) {
    std::filesystem::create_directories(dir + "/config/kelvane");
    std::ofstream(ini, std::ios::binary) << ostrum::FormatConfigText(values);
  }
  ConfigValues Stored() const { return ostrum::ParseConfigText(ReadFile(ini)); }

  // One run of the program's dialog: Start shows it, Close destroys it (the save).
  void Start(const std::string& startFile = "") {
    dlg = std::make_unique<CExportDlg>();
    dlg->m_strStartFile = startFile.c_str();  // as named on the command line
    AfxGetApp()->m_pMainWnd = dlg.get();        // as the program runs it
    ASSERT_TRUE(dlg->Create(CExportDlg::IDD));
    AfxPumpMessages();
  }
  void Close() {
    if (!dlg) return;
    AfxGetApp()->m_pMainWnd = nullptr;
    dlg->DestroyWindow();
    dlg.reset();
  }

  CString Text(int id) const {
    CString s;
    dlg->GetDlgItemText(id, s);
    return s;
  }
  bool Enabled(int id) const { return dlg->GetDlgItem(id)->IsWindowEnabled() != FALSE; }
  bool Visible(int id) const { return dlg->GetDlgItem(id)->IsWindowVisible() != FALSE; }
  void Click(int id) { dlg->GetDlgItem(id)->SendMessage(BM_CLICK); }
  void PickSeparator(int index) {
    dlg->m_cbSep.SetCurSel(index);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CB_SEP, CBN_SELCHANGE), 0);
  }

  std::string dir, ini, db;
  std::unique_ptr<CExportDlg> dlg;
};

TEST_F(SettingsTest, FirstRunWithAnEmptyStoreStartsBlankAndSavesAllTenKeys) {
  ModalScript script;  // no box at all
  Start();
  EXPECT_FALSE(Visible(IDC_EDIT_SQL));
  EXPECT_TRUE(Visible(IDC_BTN_TABLES));
  EXPECT_FALSE(Enabled(IDC_BTN_TABLES)) << "no listing ran at start";
  EXPECT_EQ(dlg->m_cbTable.GetCount(), 0);
  EXPECT_EQ(Text(IDC_STATIC_STATUS), "等待");
  EXPECT_FALSE(dlg->IsDlgButtonChecked(IDC_CHK_USESQL));
  EXPECT_FALSE(dlg->IsDlgButtonChecked(IDC_CHK_QUOTE));
  EXPECT_FALSE(dlg->IsDlgButtonChecked(IDC_CHK_HEADER));
  for (int id : {IDC_EDIT_MDBFILE, IDC_EDIT_SQL, IDC_EDIT_TXTFILE, IDC_EDIT_FIELDS, IDC_EDIT_USERSEP})
    EXPECT_EQ(Text(id), "") << id;
  EXPECT_EQ(dlg->m_cbSep.GetCurSel(), 0);
  EXPECT_FALSE(Enabled(IDC_EDIT_USERSEP));
  Close();
  EXPECT_EQ(Stored(), (ConfigValues{{"isusesql", "0"}, {"mdbfile", ""}, {"mdbsql", ""},
                                    {"mdbtable", ""}, {"opnheader", "0"}, {"opnsep", "0"},
                                    {"opnsyh", "0"}, {"txtfile", ""}, {"txtflds", ""},
                                    {"usersep", ""}}));
}

TEST_F(SettingsTest, ASecondStartShowsWhatTheFirstLeft) {
  {
    ModalScript script;
    script.ExpectFileOpen(db.c_str());
    Start();
    Click(IDC_BTN_IMPORT);
    Click(IDC_BTN_TABLES);
    dlg->m_cbTable.SetCurSel(1);  // "Towns", read by the preview in table mode
    Click(IDC_BTN_PREVIEW);
    Click(IDC_CHK_QUOTE);
    Click(IDC_CHK_HEADER);
    dlg->SetDlgItemText(IDC_EDIT_FIELDS, "Id, Name");
    dlg->SetDlgItemText(IDC_EDIT_SQL, "select *\r\nfrom People");
    Click(IDC_CHK_USESQL);  // closes in SQL mode: the edit's text is saved as typed
    PickSeparator(1);
    Close();
  }
  ConfigValues saved = Stored();
  EXPECT_EQ(saved["mdbfile"], db);
  EXPECT_EQ(saved["mdbsql"], "select *\r\nfrom People");
  EXPECT_EQ(saved["mdbtable"], "Towns") << "closed in SQL mode: the table last read in table mode";

  ModalScript script;  // the stored path lists without a box
  Start();
  EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHK_USESQL));
  EXPECT_TRUE(Visible(IDC_EDIT_SQL));
  EXPECT_FALSE(Visible(IDC_BTN_TABLES));
  EXPECT_FALSE(Visible(IDC_CB_TABLE));
  EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHK_QUOTE));
  EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHK_HEADER));
  EXPECT_EQ(Text(IDC_EDIT_MDBFILE), db.c_str());
  EXPECT_EQ(Text(IDC_EDIT_SQL), "select *\r\nfrom People");
  EXPECT_EQ(Text(IDC_EDIT_FIELDS), "Id, Name");
  EXPECT_EQ(dlg->m_cbSep.GetCurSel(), 1);
  // The start-up listing ran on the stored path and selected the first table: the
  // table of the last run does not come back.
  EXPECT_EQ(dlg->m_cbTable.GetCount(), 2);
  CString table;
  dlg->m_cbTable.GetWindowText(table);
  EXPECT_EQ(table, "People");
  EXPECT_TRUE(Enabled(IDC_BTN_TABLES));
}

TEST_F(SettingsTest, ARejectedSecondSourceChoiceKeepsTheFirstPath) {
  std::string gone = dir + "/gone.mdb";
  ModalScript script;
  script.ExpectFileOpen(db.c_str());
  script.ExpectFileOpen(gone.c_str());
  script.ExpectMessageBox(IDOK);
  Start();
  Click(IDC_BTN_IMPORT);
  Click(IDC_BTN_IMPORT);
  ASSERT_EQ(script.Asked().size(), 3u);
  EXPECT_EQ(script.Asked()[2].text, "文件无效！");
  EXPECT_EQ(Text(IDC_EDIT_MDBFILE), db.c_str());
  Close();
  EXPECT_EQ(Stored()["mdbfile"], db);
}

TEST_F(SettingsTest, SqlTextIsSavedLowerCasedAfterAPreviewInSqlModeThenTableMode) {
  Store({{"mdbfile", db}});
  ModalScript script;
  Start();
  Click(IDC_CHK_USESQL);
  dlg->SetDlgItemText(IDC_EDIT_SQL, "SELECT Id FROM People WHERE Id = 1");
  Click(IDC_BTN_PREVIEW);
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 1);
  Click(IDC_CHK_USESQL);
  EXPECT_EQ(Text(IDC_EDIT_SQL), "SELECT Id FROM People WHERE Id = 1") << "the edit keeps what was typed";
  Close();
  ConfigValues saved = Stored();
  EXPECT_EQ(saved["isusesql"], "0");
  EXPECT_EQ(saved["mdbsql"], "select id from people where id = 1");
  EXPECT_EQ(saved["mdbtable"], "People");
}

TEST_F(SettingsTest, StoredCustomSeparatorIsUsedByAnExportWhileItsEditStaysDisabled) {
  std::string out = dir + "/out.txt";
  Store({{"mdbfile", db}, {"txtfile", out}, {"txtflds", "Id,Name"}, {"opnsep", "2"},
         {"usersep", " | "}});
  ModalScript script;
  Start();
  EXPECT_EQ(dlg->m_cbSep.GetCurSel(), 2);
  EXPECT_EQ(Text(IDC_EDIT_USERSEP), " | ");
  EXPECT_FALSE(Enabled(IDC_EDIT_USERSEP)) << "the load does not run the selection handler";
  Click(IDC_BTN_START);
  EXPECT_EQ(Text(IDC_STATIC_STATUS), "执行完成。");
  EXPECT_EQ(ReadFile(out), "1 | Ann\r\n2 | Bob\r\n");
  EXPECT_FALSE(Enabled(IDC_EDIT_USERSEP));
  Close();
  ConfigValues saved = Stored();
  EXPECT_EQ(saved["opnsep"], "2");
  EXPECT_EQ(saved["usersep"], " | ");
  EXPECT_EQ(saved["txtfile"], out);
}

// Outside 0..2 the drop-down shows nothing, and the separator comes from
// m_nSepIndex's start value, the comma, in the export and in the save alike.
TEST_F(SettingsTest, StoredSeparatorOutsideTheListLeavesNoSelection) {
  std::string out = dir + "/out.txt";
  for (const char* stored : {"3", "-1"}) {
    SCOPED_TRACE(stored);
    Store({{"mdbfile", db}, {"txtfile", out}, {"txtflds", "Id,Name"}, {"opnsep", stored},
           {"usersep", ";"}});
    ModalScript script;
    Start();
    EXPECT_EQ(dlg->m_cbSep.GetCurSel(), CB_ERR);
    EXPECT_EQ(Text(IDC_CB_SEP), "");
    Click(IDC_BTN_START);
    EXPECT_EQ(ReadFile(out), "1,Ann\r\n2,Bob\r\n");
    Close();
    ConfigValues saved = Stored();
    EXPECT_EQ(saved["opnsep"], "0");
    EXPECT_EQ(saved["usersep"], ";");
  }
}

TEST_F(SettingsTest, StoredSourceThatNoLongerExistsShowsTheErrorAndLoadsTheRest) {
  std::string gone = dir + "/moved-away.mdb";
  Store({{"mdbfile", gone}, {"mdbsql", "select * from x"}, {"txtfile", dir + "/o.txt"},
         {"txtflds", "*"}, {"opnsep", "1"}, {"usersep", "#"}, {"opnheader", "1"}});
  ModalScript script;
  CString fieldsBehindBox = "unset";
  script.ExpectMessageBox(IDOK).OnShow([&](const ModalRequest&) {
    // The box comes from the listing, before the later keys reach their controls.
    dlg->GetDlgItemText(IDC_EDIT_FIELDS, fieldsBehindBox);
  });
  Start();
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].text.str().rfind(gone + "\r\n\r\n连接数据库失败!\r\n\r\n错误信息:", 0), 0u);
  EXPECT_EQ(fieldsBehindBox, "");
  EXPECT_EQ(Text(IDC_STATIC_STATUS), "获取数据表格发生错误。");
  EXPECT_TRUE(Enabled(IDC_BTN_TABLES));
  EXPECT_EQ(Text(IDC_EDIT_MDBFILE), gone.c_str());
  EXPECT_EQ(Text(IDC_EDIT_SQL), "select * from x");
  EXPECT_EQ(Text(IDC_EDIT_TXTFILE), (dir + "/o.txt").c_str());
  EXPECT_EQ(Text(IDC_EDIT_FIELDS), "*");
  EXPECT_EQ(dlg->m_cbSep.GetCurSel(), 1);
  EXPECT_EQ(Text(IDC_EDIT_USERSEP), "#");
  EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHK_HEADER));
  Close();
  ConfigValues saved = Stored();
  EXPECT_EQ(saved["mdbfile"], gone);
  EXPECT_EQ(saved["opnsep"], "1");
  EXPECT_EQ(saved["opnheader"], "1");
}

// A box at start-up stands over the window, shown first, and names the file: one
// named on the command line and missing, or a stored one that cannot be read.
TEST_F(SettingsTest, StartUpBoxesStandOverTheShownWindowAndNameTheFile) {
  const std::string gone = dir + "/gone.mdb", bad = dir + "/bad.mdb";
  std::ofstream(bad) << "not a database";
  const struct { std::string stored, named; std::vector<std::string> boxes; } cases[] = {
      {gone, "", {gone + "\r\n\r\n连接数据库失败!"}},
      {bad, gone, {gone + "\r\n\r\n文件无效！", bad + "\r\n\r\n连接数据库失败!"}}};
  for (const auto& c : cases) {
    Store({{"mdbfile", c.stored}});
    ModalScript script;
    for (const std::string& text : c.boxes)
      script.ExpectMessageBox(IDOK).OnShow([&](const ModalRequest& r) {
        EXPECT_EQ(r.text.str().substr(0, text.size()), text);
        EXPECT_TRUE(dlg->IsWindowVisible() && r.owner == dlg.get()) << text;
      });
    Start(c.named);
    Close();
  }
}

}  // namespace
