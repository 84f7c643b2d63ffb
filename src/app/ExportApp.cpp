#include "app/ExportApp.h"

#include "ui/ExportDlg.h"

BEGIN_MESSAGE_MAP(CExportApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

// The program's name, as its window and every box it titles with it show it.
CExportApp::CExportApp() : CWinApp("Kelvane") {}

CExportApp theApp;

// Runs the dialog and ends: returning FALSE keeps the framework out of its message
// loop, so the process ends when the dialog has closed, however it was closed.
BOOL CExportApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();
  CExportDlg dlg;
  dlg.m_strStartFile = m_strStartFile;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
