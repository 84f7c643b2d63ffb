// CExportApp: the application object, whose one task is to run the main dialog
// (on the file named on the command line, if any).
#pragma once
#include "platform/mfc/Afx.h"

class CExportApp : public CWinApp {
 public:
  CExportApp();
  BOOL InitInstance() override;

  // The file named on the command line, for the dialog to open (empty: none).
  CString m_strStartFile;

  DECLARE_MESSAGE_MAP()
};

extern CExportApp theApp;
