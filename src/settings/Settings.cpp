// The settings load of OnInitDialog and the save of OnDestroy: the only places the
// program touches the store after autoFileConfig.
#include "ui/ExportDlg.h"
#include "res/Resource.h"
#include "settings/SettingsKeys.h"

// The order is part of the behaviour: the start-up table listing runs right after
// the source path is read, so its status texts and error box come before the later
// keys reach their controls, and a failed listing still leaves them loaded.
void CExportDlg::LoadSettings() {
  m_bUseSql = m_pCore->getConfigB(settings::kUseSql);
  ApplySqlMode();
  m_bQuote = m_pCore->getConfigB(settings::kQuote);
  m_bHeader = m_pCore->getConfigB(settings::kHeader);

  m_strMdbFile = m_pCore->getConfigStr(settings::kMdbFile);
  if (m_strMdbFile.GetLength() != 0) SetDlgItemText(IDC_EDIT_MDBFILE, m_strMdbFile);
  // Opening a file at start-up may end in a box: the window is on screen first, so
  // that the box stands over it, and the box names the file, which the user did not
  // choose in this run.
  if (m_strStartFile.GetLength() != 0 || m_strMdbFile.GetLength() != 0) {
    ShowWindow(SW_SHOW);
    UpdateWindow();
  }
  // A file named on the command line is chosen as "导入 =>" chooses one, and once
  // taken it is listed in place of the stored path (whose file may be long gone, and
  // its error box would only puzzle). Refused, it leaves the stored path as it was.
  if (m_strStartFile.GetLength() != 0) {
    m_strBoxFile = m_strStartFile;
    ChooseSourceFile(m_strStartFile);
  }
  // A stored path is listed as it stands, without the existence test of the file
  // choice: a vanished file shows the database error box instead.
  if (m_strMdbFile.GetLength() != 0) {
    m_strBoxFile = m_strMdbFile;
    LoadTableList();
  }
  m_strBoxFile.Empty();

  m_strSql = m_pCore->getConfigStr(settings::kSql);
  SetDlgItemText(IDC_EDIT_SQL, m_strSql);
  m_strTxtFile = m_pCore->getConfigStr(settings::kTxtFile);
  SetDlgItemText(IDC_EDIT_TXTFILE, m_strTxtFile);
  m_strFields = m_pCore->getConfigStr(settings::kFields);
  SetDlgItemText(IDC_EDIT_FIELDS, m_strFields);

  // Selected by index: the list is unsorted, so the index is the choice. An index
  // outside the list leaves no selection; m_nSepIndex and the custom edit's enabled
  // state are left for CollectOptions and the selection handler.
  m_cbSep.SetCurSel(m_pCore->getConfigInt(settings::kSepIndex));

  m_strUserSep = m_pCore->getConfigStr(settings::kUserSep);
  SetDlgItemText(IDC_EDIT_USERSEP, m_strUserSep);
}

// Runs in WM_DESTROY, after the framework's own handling, while the child controls
// still exist: the options are read from them once more, without validation, so
// every way of closing saves the same state.
void CExportDlg::SaveSettings() {
  CollectOptions(FALSE);

  m_pCore->saveConfigB(settings::kUseSql, m_bUseSql);
  m_pCore->saveConfigB(settings::kQuote, m_bQuote);
  m_pCore->saveConfigB(settings::kHeader, m_bHeader);
  m_pCore->saveConfigStr(settings::kMdbFile, m_strMdbFile.str());
  m_pCore->saveConfigStr(settings::kSql, m_strSql.str());
  m_pCore->saveConfigStr(settings::kTable, m_strTable.str());
  m_pCore->saveConfigStr(settings::kTxtFile, m_strTxtFile.str());
  m_pCore->saveConfigStr(settings::kFields, m_strFields.str());
  m_pCore->saveConfigInt(settings::kSepIndex, m_nSepIndex);
  m_pCore->saveConfigStr(settings::kUserSep, m_strUserSep.str());

  // The store needs no closing call: what was saved is already on disk.
  if (m_pCore != nullptr) {
    delete m_pCore;
    m_pCore = nullptr;
  }
}
