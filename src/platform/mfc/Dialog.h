// CDialog: a dialog built from its template (DialogTemplate.h), run modally with
// DoModal or modelessly with Create. Enter, Esc and the close box end it as MFC's
// default OnOK and OnCancel do; ending destroys the window, which runs WM_DESTROY
// while the child controls still exist.
#pragma once
#include "platform/mfc/DialogTemplate.h"
#include "platform/mfc/Wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
  BOOL m_bSaveAndValidate;  // TRUE: control to member; FALSE: member to control
  CWnd* m_pDlgWnd;
};

// Attaches the control object to the dialog's control (first exchange only).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Moves a check box state: 1 set, 0 clear.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Builds the window, runs OnInitDialog, and serves events until EndDialog; then
  // destroys the window. Returns the EndDialog result (-1 if the template is missing
  // or no display can be opened).
  virtual int DoModal();
  // Modeless: builds and shows the window and runs OnInitDialog; DestroyWindow ends it.
  // Ending a modeless dialog (Esc, Enter, close box) hides it and leaves it alive.
  BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  BOOL DestroyWindow() override;

  void EndDialog(int nResult);
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  virtual BOOL OnInitDialog();

  // The next (or previous) control of the tab order that is visible, enabled and a
  // tab stop; from the start of the order when pWndCtl is null.
  CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
  // Dialog units to pixels on the dialog's font.
  void MapDialogRect(RECT* rect) const;
  // Is the modal loop of DoModal running?
  BOOL IsModalLoopRunning() const { return m_bInModal; }
  // The result EndDialog gave, -1 while the dialog runs.
  int GetEndResult() const { return m_nModalResult; }
  // The template the window was built from (after DoModal/Create began).
  const DialogTemplate* GetTemplate() const { return m_pTemplate; }

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnOK();      // UpdateData(TRUE), then EndDialog(IDOK)
  virtual void OnCancel();  // EndDialog(IDCANCEL)

  UINT m_nIDHelp;
  CWnd* m_pParentWnd;
  DECLARE_MESSAGE_MAP()

 private:
  friend struct AfxWindowAccess;
  BOOL BuildWindow(UINT nIDTemplate, CWnd* pParentWnd);
  void FocusFirstTabStop();
  const DialogTemplate* m_pTemplate = nullptr;
  int m_nModalResult = -1;
  bool m_bInModal = false;
  bool m_bDestroying = false;
};
