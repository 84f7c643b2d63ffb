// The open and save file dialogs, through the modal seam (Modal.h).
#pragma once
#include "platform/mfc/Wnd.h"

class CFileDialog {
 public:
  // filter: MFC form, "name|pattern|name|pattern||" (the first entry selected at first).
  CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
              const char* lpszFileName = nullptr, DWORD dwFlags = 0,
              const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

  // IDOK or IDCANCEL. A chosen name without an extension gets ".<defExt>".
  int DoModal();
  CString GetPathName() const { return m_strPath; }
  CString GetFileName() const;  // the name without the folder

 private:
  BOOL m_bOpen;
  CString m_strDefExt;
  CString m_strFileName;
  DWORD m_dwFlags;
  CString m_strFilter;
  CWnd* m_pParent;
  CString m_strPath;
};

// A message box owned by the main window (if any), captioned with the application
// name, through the modal seam.
int AfxMessageBox(const char* text, UINT nType = MB_OK);
