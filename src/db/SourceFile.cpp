// "导入 =>": choosing the source database file; a file dropped onto the window is
// chosen the same way.
#include <cstring>
#include <vector>

#include "ui/ExportDlg.h"
#include "res/Resource.h"
#include "platform/com/Translate.h"

void CExportDlg::OnBtnImport() {
  // Open dialog; the folder must exist, the file need not (it is tested below), and
  // a name typed without an extension gets .mdb. It opens where the current source
  // file lies, as Windows' dialog returns to its last folder.
  CFileDialog dlg(TRUE, "MDB", nullptr, OFN_PATHMUSTEXIST | OFN_READONLY,
                  _("MS Access数据库(*.mdb;*.accdb)|*.mdb;*.accdb|所有文件|*.*||"), this);
  const CString folder = AfxFolderOf(m_strMdbFile);
  dlg.m_ofn.lpstrInitialDir = folder;
  if (dlg.DoModal() != IDOK) return;
  ChooseSourceFile(dlg.GetPathName());
}

BOOL CExportDlg::ChooseSourceFile(const CString& strPath) {
  if (m_pCore->isFileExist((LPCTSTR)strPath)) {
    m_strMdbFile = strPath;
    SetDlgItemText(IDC_EDIT_MDBFILE, m_strMdbFile);
    GetDlgItem(IDC_BTN_TABLES)->EnableWindow(TRUE);
    // The grid showed records of the database before; it must not pass for this one's.
    EmptyPreview();
    return TRUE;
  }
  // The earlier path and table list stay; only the table button goes off.
  GetDlgItem(IDC_BTN_TABLES)->EnableWindow(FALSE);
  MessageBox(BoxText(_("文件无效！")), "", MB_OK);
  return FALSE;
}

CString CExportDlg::BoxText(const CString& text) const {
  if (m_strBoxFile.IsEmpty()) return text;
  return m_strBoxFile + "\r\n\r\n" + text;
}

void CExportDlg::OpenSourceFile(const CString& strPath) {
  if (ChooseSourceFile(strPath)) LoadTableList();
}

namespace {
bool IsAccessFileName(const CString& path) {
  CString name = path;
  name.MakeLower();
  auto endsWith = [&name](const char* ext) {
    int n = static_cast<int>(std::strlen(ext));
    return name.GetLength() > n && name.Right(n) == ext;
  };
  return endsWith(".mdb") || endsWith(".accdb");
}
}  // namespace

// A drop of several files opens the first one named as an Access file (a database
// dragged together with its .ldb lock file, say), or else the first one, which then
// meets the same tests as a chosen file.
void CExportDlg::OnDropFiles(HDROP hDropInfo) {
  CString strChosen;
  const UINT nFiles = DragQueryFile(hDropInfo, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < nFiles; ++i) {
    std::vector<char> buf(DragQueryFile(hDropInfo, i, nullptr, 0) + 1);
    DragQueryFile(hDropInfo, i, buf.data(), static_cast<UINT>(buf.size()));
    if (i == 0) strChosen = buf.data();
    if (IsAccessFileName(buf.data())) {
      strChosen = buf.data();
      break;
    }
  }
  DragFinish(hDropInfo);
  if (nFiles > 0) OpenSourceFile(strChosen);
}
