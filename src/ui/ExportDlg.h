// The main dialog: the program's whole state and every handler of its window.
// Members are defined in the folder of their subsystem: ui/ (start-up, mode switch,
// painting, about box, message map), settings/ (load and save), db/ (source file,
// table list, query builder, preview), export/ (options, target file, export run).
#pragma once
#include <functional>
#include "platform/mfc/Afx.h"
#include "platform/ostrum/Core.h"
#include "platform/ado/Ado.h"

class CExportDlg : public CDialog {
 public:
  explicit CExportDlg(CWnd* pParent = nullptr);
  ~CExportDlg() override;

  enum { IDD = 102 };

  CCore* m_pCore = nullptr;
  CString m_strMdbFile;
  CString m_strTxtFile;
  CString m_strTable;
  CString m_strSql;
  CString m_strFields;
  int m_nSepIndex = 0;
  CString m_strUserSep;
  CComboBox m_cbSep;
  CComboBox m_cbTable;
  CListCtrl m_lcPreview;
  BOOL m_bUseSql;
  BOOL m_bQuote;
  BOOL m_bHeader;
  HICON m_hIcon;
  // The file named on the command line, opened at start-up (empty: none).
  CString m_strStartFile;

  // Shown controls follow m_bUseSql: the table controls or the SQL edit.
  void ApplySqlMode();
  // The statement for the preview (bPreview non-zero) or the export; empty on
  // failure, with the reason on the status line.
  CString BuildQuery(int bPreview);
  // Reads the option controls into the members; with bValidate it reports the
  // first missing input in a box and returns FALSE.
  BOOL CollectOptions(int bValidate);
  CString GetSeparator();
  void LoadTableList();
  // Empties the preview grid, its columns too.
  void EmptyPreview();
  // What "导入 =>" does with the path its dialog returned: the existence test, then
  // the path into m_strMdbFile and its edit, or the "文件无效！" box. TRUE when taken.
  BOOL ChooseSourceFile(const CString& strPath);
  // A file named from outside the dialog (command line, drop): chosen as above and,
  // when taken, listed as "数据表 =>" lists it.
  void OpenSourceFile(const CString& strPath);

  // The file a box names on its first line (empty: none): set while the start-up
  // opens a file the user did not choose in this run.
  CString m_strBoxFile;
  // A box's text, after the file it is about when there is one to name.
  CString BoxText(const CString& text) const;

  // What one database operation shows and which button it owns.
  struct DbOperation {
    const char* startText;
    const char* successText;
    const char* failureText;
    int buttonId;
    bool enableButtonBeforeBox;  // the export run enables its button after the box
  };
  // The one frame every database operation runs in: status text and button,
  // COM initialisation, the Connection and Recordset, the guarded section that opens
  // the connection on m_strMdbFile and calls `work`, the closes, and the error path
  // with the database error box. `prepare` runs before the guarded section;
  // `boxText` makes the box text from the error (default: the plain format).
  // Returns true when the operation succeeded.
  bool RunDbOperation(const DbOperation& op,
                      const std::function<void(_ConnectionPtr&, _RecordsetPtr&)>& work,
                      const std::function<void()>& prepare = {},
                      const std::function<CString(const _com_error&)>& boxText = {});
  // Called by an operation's work with the count of records done so far, as often
  // as every few hundred records: ten times a second the window is served (painted,
  // answering the window manager), twice a second the status line shows the count
  // after the start text; in between it costs a clock read.
  void OnRecordsDone(long nDone);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnBtnAbout();
  void OnChkUseSql();
  void OnBtnImport();
  void OnBtnPreview();
  void OnBtnExport();
  void OnSelchangeCbSep();
  void OnBtnStart();
  void OnDestroy();
  void OnDropFiles(HDROP hDropInfo);

  // The settings load of OnInitDialog (the nine reads) and the save of OnDestroy.
  void LoadSettings();
  void SaveSettings();

  DECLARE_MESSAGE_MAP()

 private:
  const DbOperation* m_pRunningOp = nullptr;  // the operation RunDbOperation runs
  DWORD m_dwLastServed = 0;                    // GetTickCount when last served
  DWORD m_dwLastCounted = 0;                   // ... when the count was last shown
};
