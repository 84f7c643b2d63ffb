// "导入 =>": choosing the source database file.
#include "ui/ExportDlg.h"
#include "res/Resource.h"

void CExportDlg::OnBtnImport() {
  // Open dialog; the folder must exist, the file need not (it is tested below), and
  // a name typed without an extension gets .mdb. It opens where the current source
  // file lies, as Windows' dialog returns to its last folder.
  CFileDialog dlg(TRUE, "MDB", nullptr, OFN_PATHMUSTEXIST | OFN_READONLY,
                  "MS Access数据库(*.mdb;*.accdb)|*.mdb;*.accdb|所有文件|*.*||", this);
  const CString folder = AfxFolderOf(m_strMdbFile);
  dlg.m_ofn.lpstrInitialDir = folder;
  if (dlg.DoModal() != IDOK) return;

  CString strPath = dlg.GetPathName();
  if (m_pCore->isFileExist((LPCTSTR)strPath)) {
    m_strMdbFile = strPath;
    SetDlgItemText(IDC_EDIT_MDBFILE, m_strMdbFile);
    GetDlgItem(IDC_BTN_TABLES)->EnableWindow(TRUE);
  } else {
    // The earlier path and table list stay; only the table button goes off.
    GetDlgItem(IDC_BTN_TABLES)->EnableWindow(FALSE);
    MessageBox("文件无效！", "", MB_OK);
  }
}
