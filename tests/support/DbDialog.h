// The main dialog for the database tests: a real window, shown modelessly, whose
// settings store lives in a fresh temporary folder (so no stored source path starts
// a listing), with the handlers the message map routes made callable and the
// status line and button states readable.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/com/ComError.h"
#include "res/Resource.h"
#include "support/ModalScript.h"
#include "ui/ExportDlg.h"

class DbTestDlg : public CExportDlg {
 public:
  using CExportDlg::OnBtnImport;
  using CExportDlg::OnBtnPreview;

  CString Status() const { return Text(IDC_STATIC_STATUS); }
  CString Text(int id) const {
    CString s;
    GetDlgItemText(id, s);
    return s;
  }
  bool Enabled(int id) const { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }

  // Table mode with the named entry of the table list selected.
  void SelectTable(const char* name) {
    m_bUseSql = FALSE;
    m_cbTable.SetCurSel(m_cbTable.FindStringExact(-1, name));
  }
  // SQL mode with this text in the SQL edit.
  void UseSql(const char* sql) {
    m_bUseSql = TRUE;
    SetDlgItemText(IDC_EDIT_SQL, sql);
  }
  std::vector<std::string> Tables() const {
    std::vector<std::string> names;
    for (int i = 0; i < m_cbTable.GetCount(); ++i) {
      CString s;
      m_cbTable.GetLBText(i, s);
      names.push_back(s.str());
    }
    return names;
  }
  std::vector<std::string> Headings() {
    std::vector<std::string> names;
    for (int i = 0; i < m_lcPreview.GetColumnCount(); ++i)
      names.push_back(m_lcPreview.GetColumnHeading(i).str());
    return names;
  }
  std::string Cell(int item, int col) const { return m_lcPreview.GetItemText(item, col).str(); }
};

// What the user sees behind a box at the moment it is shown.
struct BehindBox {
  CString status;
  bool buttonEnabled = false;
  int comCount = -1;
};

class DbDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AfxWinInit()) << "no display: run under xvfb-run";
    char tmpl[] = "/tmp/kelvane-db-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_dir = tmpl;
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    m_comStart = CoInitializeCount();
    dlg = std::make_unique<DbTestDlg>();
    ASSERT_TRUE(dlg->Create(CExportDlg::IDD));
  }
  void TearDown() override {
    if (dlg) {
      dlg->DestroyWindow();
      dlg.reset();
    }
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  // Expects one database error box and records what stood behind it.
  void ExpectDbBox(ModalScript& script, int buttonId, BehindBox* seen) {
    script.ExpectMessageBox(IDOK).OnShow([this, buttonId, seen](const ModalRequest&) {
      seen->status = dlg->Status();
      seen->buttonEnabled = dlg->Enabled(buttonId);
      seen->comCount = CoInitializeCount();
    });
  }

  static std::string BoxText(HRESULT hr) {
    return std::string("连接数据库失败!\r\n\r\n错误信息:") + _com_error(hr).ErrorMessage();
  }
  static std::string TestData(const char* name) { return std::string(KELVANE_TESTDATA) + "/" + name; }

  std::unique_ptr<DbTestDlg> dlg;
  std::string m_dir;
  int m_comStart = 0;
};
