// CExportDlg: construction, data exchange, the start-up sequence and the message map.
#include "ui/ExportDlg.h"

#include "res/Resource.h"
#include "res/Resources.h"

CExportDlg::CExportDlg(CWnd* pParent) : CDialog(IDD, pParent) {
  RegisterResources();  // the template and icon this dialog is built from
  m_bUseSql = 0;
  m_bQuote = 0;
  m_bHeader = 0;
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

// The store is gone by now (OnDestroy deleted it); the members go in reverse order.
CExportDlg::~CExportDlg() = default;

void CExportDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_CB_SEP, m_cbSep);
  DDX_Control(pDX, IDC_CB_TABLE, m_cbTable);
  DDX_Control(pDX, IDC_LIST_PREVIEW, m_lcPreview);
  DDX_Check(pDX, IDC_CHK_USESQL, m_bUseSql);
  DDX_Check(pDX, IDC_CHK_QUOTE, m_bQuote);
  DDX_Check(pDX, IDC_CHK_HEADER, m_bHeader);
}

BOOL CExportDlg::OnInitDialog() {
  // 1. The separator items from the initialisation data; the control objects attached.
  CDialog::OnInitDialog();
  // 2.
  m_pCore = new CCore;
  // 3. The same icon serves as the big and the small one.
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  // A file dropped onto the window opens as a file named on the command line does.
  DragAcceptFiles(TRUE);
  // 4. Exactly these two, every other extended style off.
  m_lcPreview.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  // 5. Table mode shows until the stored mode says otherwise.
  GetDlgItem(IDC_EDIT_SQL)->ShowWindow(SW_HIDE);
  // 6. Defaults ahead of the load.
  m_bUseSql = 0;
  m_strMdbFile.Empty();
  m_strTxtFile.Empty();
  m_cbSep.SetCurSel(0);
  // 7, 8. The store, then the stored settings (with the start-up table listing).
  m_pCore->autoFileConfig();
  LoadSettings();
  // 9. The three check boxes from their members.
  UpdateData(FALSE);
  // 10. The dialog manager focuses the first tab stop, IDC_BTN_IMPORT.
  return TRUE;
}

// The close of every kind ends here, with the controls still in place for the save.
void CExportDlg::OnDestroy() {
  CDialog::OnDestroy();
  SaveSettings();
}

BEGIN_MESSAGE_MAP(CExportDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_BTN_ABOUT, OnBtnAbout)
  ON_BN_CLICKED(IDC_CHK_USESQL, OnChkUseSql)
  ON_BN_CLICKED(IDC_BTN_IMPORT, OnBtnImport)
  ON_BN_CLICKED(IDC_BTN_TABLES, LoadTableList)
  ON_BN_CLICKED(IDC_BTN_PREVIEW, OnBtnPreview)
  ON_BN_CLICKED(IDC_BTN_EXPORT, OnBtnExport)
  ON_CBN_SELCHANGE(IDC_CB_SEP, OnSelchangeCbSep)
  ON_BN_CLICKED(IDC_BTN_START, OnBtnStart)
  ON_WM_DESTROY()
  ON_WM_DROPFILES()
END_MESSAGE_MAP()
