// The open and save file dialogs, through the modal seam (Modal.h).
#pragma once
#include "platform/mfc/Wnd.h"

// The parts of the common dialog's OPENFILENAME that a caller may set before
// DoModal (nullptr: not set).
struct AfxOpenFileName {
  const char* lpstrInitialDir = nullptr;  // the folder the dialog opens in
  const char* lpstrTitle = nullptr;       // else Windows' "打开" / "另存为", translated
};

class CFileDialog {
 public:
  // filter: MFC form, "name|pattern|name|pattern||" (the first entry selected at first).
  CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
              const char* lpszFileName = nullptr, DWORD dwFlags = 0,
              const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

  // IDOK or IDCANCEL. A chosen name without an extension gets the default one, in
  // lower case or as an existing file of that name spells it; an open dialog also
  // tries the other extensions of its first filter, for a file that exists. With
  // OFN_OVERWRITEPROMPT, a chosen file that exists is confirmed in a Yes/No box
  // owned by the parent; "否" shows the dialog again, in the same folder, with the
  // name as typed.
  int DoModal();
  CString GetPathName() const { return m_strPath; }
  CString GetFileName() const;  // the name without the folder

  AfxOpenFileName m_ofn;

 private:
  BOOL m_bOpen;
  CString m_strDefExt;
  CString m_strFileName;
  DWORD m_dwFlags;
  CString m_strFilter;
  CWnd* m_pParent;
  CString m_strPath;
};

// The folder part of a path ("" for a bare name): where a file dialog opens to
// show the file the program holds.
CString AfxFolderOf(const CString& path);

// A message box owned by the main window (if any), captioned with the application
// name, through the modal seam.
int AfxMessageBox(const char* text, UINT nType = MB_OK);
