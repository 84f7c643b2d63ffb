// The main dialog for the database tests: a real window, shown modelessly, whose
// settings store lives in a fresh temporary folder (so no stored source path starts
// a listing), with the handlers the message map routes made callable and the
// status line and button states readable.
#pragma once
#include <string>
#include <vector>

#include "support/DialogTest.h"

class DbTestDlg : public TestDialog {
 public:
  using CExportDlg::OnBtnImport;
  using CExportDlg::OnBtnPreview;

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

class DbDialogTest : public DialogTest<DbTestDlg> {
 protected:
  static std::string TestData(const char* name) { return std::string(KELVANE_TESTDATA) + "/" + name; }
};
