// CExportApp: the application object, whose one task is to run the main dialog.
#pragma once
#include "platform/mfc/Afx.h"

class CExportApp : public CWinApp {
 public:
  CExportApp();
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

extern CExportApp theApp;
