#include "platform/mfc/FileDialog.h"

#include "platform/mfc/Modal.h"
#include "platform/mfc/WinApp.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpen(bOpenFileDialog),
      m_strDefExt(lpszDefExt),
      m_strFileName(lpszFileName),
      m_dwFlags(dwFlags),
      m_strFilter(lpszFilter),
      m_pParent(pParentWnd) {}

int CFileDialog::DoModal() {
  ModalRequest r;
  r.kind = m_bOpen ? ModalRequest::FileOpen : ModalRequest::FileSave;
  r.owner = m_pParent;
  r.fileName = m_strFileName;
  r.defExt = m_strDefExt;
  r.filter = m_strFilter;
  r.flags = m_dwFlags;
  ModalAnswer a = AfxRunModal(r);
  m_strPath.Empty();
  if (a.result != IDOK) return IDCANCEL;
  m_strPath = a.path;
  // As the common dialog does: a name typed without an extension gets the default one.
  CString name = GetFileName();
  if (!m_strDefExt.IsEmpty() && !name.IsEmpty() && name.Find('.') < 0)
    m_strPath += "." + m_strDefExt;
  return IDOK;
}

CString CFileDialog::GetFileName() const {
  int slash = -1;
  for (int i = m_strPath.Find('/'); i >= 0; i = m_strPath.Find('/', i + 1)) slash = i;
  return m_strPath.Mid(slash + 1);
}

int AfxMessageBox(const char* text, UINT nType) {
  ModalRequest r;
  r.kind = ModalRequest::MessageBox;
  r.owner = AfxGetApp()->m_pMainWnd;
  r.text = text;
  r.caption = AfxGetAppName();
  r.type = nType;
  return AfxRunModal(r).result;
}
