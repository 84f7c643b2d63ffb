// Windows and controls as the program's handlers use them. A CWnd refers to one
// wx window (m_hWnd); several CWnd objects may refer to the same window (the object
// GetDlgItem returns and a DDX_Control member), and every call acts on the window,
// so they always agree. Texts are UTF-8.
#pragma once
#include <memory>
#include "platform/mfc/CString.h"
#include "platform/mfc/MessageMap.h"
#include "platform/mfc/Types.h"

class wxWindow;
using HWND = wxWindow*;

struct CRect : RECT {
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Binds this object to a window / releases it (the window lives on).
  BOOL Attach(HWND hWnd);
  HWND Detach();

  CWnd* GetDlgItem(int nID) const;
  // GW_CHILD: the first child in template order; GW_HWNDNEXT: the next sibling.
  CWnd* GetWindow(UINT nCmd) const;
  int GetDlgCtrlID() const;
  CWnd* GetParent() const;

  // Edit: the whole text (a multi-line edit's line breaks read as "\r\n", and "\r\n"
  // or "\n" written become one break). Combo box: the selected item's text, or "".
  // Button, check box, group box, static: the caption.
  void SetWindowText(const char* text);
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int nID, const char* text);
  int GetDlgItemText(int nID, CString& text) const;

  BOOL EnableWindow(BOOL bEnable = TRUE);  // returns TRUE when it was disabled before
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int nCmdShow);           // returns TRUE when it was visible before
  BOOL IsWindowVisible() const;            // this window's own visible flag
  BOOL IsIconic() const;
  // Serves the window's pending painting now, inside a long handler (GTK draws what
  // changed at its next frame, so a change is on screen by the next call). In modal
  // state it is what keeps the window alive: it also answers the window manager
  // (whose ping unanswered for a few seconds marks the window "not responding") and
  // drops the input that arrived. The first call after a window is shown waits for
  // its first drawing (at most half a second), so that a box shown next stands over
  // it.
  void UpdateWindow();

  // A long operation inside one of this window's handlers (MFC's modal state). Begin
  // puts the window on screen as it stands (texts and enabled states changed just
  // before are drawn before it returns). From then on the user's input to the window
  // reaches no handler and is dropped, except that Esc and the close box are kept as
  // a close request; UpdateWindow, called often, keeps the window painted meanwhile.
  // End honours a kept close request once the handler has returned, as if made then.
  void BeginModalState();
  void EndModalState();

  CWnd* SetFocus();                        // returns the window that had the focus
  static CWnd* GetFocus();                 // the focused control of any dialog, or nullptr

  UINT IsDlgButtonChecked(int nIDButton) const;
  void CheckDlgButton(int nIDButton, UINT nCheck);

  // Box owned by this window, through the modal seam (Modal.h). A null caption is
  // the application name.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  HICON GetIcon(BOOL bBigIcon) const;

  void GetClientRect(RECT* rect) const;   // origin 0,0
  void GetWindowRect(RECT* rect) const;   // screen coordinates
  void ScreenToClient(RECT* rect) const;

  // The messages the layer knows: WM_COMMAND (routed through the message map),
  // BM_CLICK (a user's click on a button or check box), BM_GETCHECK, BM_SETCHECK,
  // WM_KEYDOWN with VK_RETURN or VK_ESCAPE (a key pressed while this control has the
  // focus), WM_CLOSE (the close box), WM_SETICON, WM_QUERYDRAGICON and any message
  // of the window's own map. Others return 0.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual BOOL DestroyWindow();

  // Files dropped onto the window (from a file manager) arrive as WM_DROPFILES, posted
  // once the drop is over, as Windows posts it. Not while a box is open or a long
  // operation runs (modal state): such a drop is refused, not kept for later.
  void DragAcceptFiles(BOOL bAccept = TRUE);

 protected:
  // The default handling of the message being handled (e.g. painting).
  LRESULT Default();
  void OnPaint();
  void OnDestroy();

  friend class CPaintDC;
  friend struct AfxWindowAccess;
  HICON m_hIconBig = nullptr;
  HICON m_hIconSmall = nullptr;
};

class CButton : public CWnd {
 public:
  int GetCheck() const;   // BST_CHECKED or BST_UNCHECKED
  void SetCheck(int nCheck);
};

class CEdit : public CWnd {};
class CStatic : public CWnd {};

class CComboBox : public CWnd {
 public:
  void ResetContent();
  int AddString(const char* text);              // index of the new item
  int InsertString(int nIndex, const char* text);  // -1 appends
  int DeleteString(int nIndex);                 // items left, or CB_ERR
  int SetCurSel(int nSelect);                   // -1 clears; CB_ERR when out of range
  int GetCurSel() const;                        // CB_ERR (-1) when none
  int GetCount() const;
  void GetLBText(int nIndex, CString& text) const;
  int FindStringExact(int nStart, const char* text) const;  // CB_ERR when absent
};

struct LVITEM {
  UINT mask = 0;
  int iItem = 0;
  int iSubItem = 0;
  UINT state = 0;
  UINT stateMask = 0;
  const char* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = 0;
  LPARAM lParam = 0;
};

class CHeaderCtrl {
 public:
  int GetItemCount() const;  // the list's column count
 private:
  friend class CListCtrl;
  HWND m_list = nullptr;
};

// A report-view list control: columns with headings, items with sub-items.
class CListCtrl : public CWnd {
 public:
  BOOL DeleteAllItems();
  CHeaderCtrl* GetHeaderCtrl();
  BOOL DeleteColumn(int nCol);
  // width -1 leaves the column at the default width.
  int InsertColumn(int nCol, const char* heading, int nFormat = LVCFMT_LEFT,
                   int nWidth = -1, int nSubItem = -1);
  int InsertItem(int nItem, const char* text);
  int InsertItem(const LVITEM* pItem);
  BOOL SetItem(const LVITEM* pItem);
  BOOL SetItemText(int nItem, int nSubItem, const char* text);
  CString GetItemText(int nItem, int nSubItem) const;
  int GetItemCount() const;
  int GetColumnCount() const;
  CString GetColumnHeading(int nCol) const;
  int GetColumnWidth(int nCol) const;
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD dwNewStyle);  // all of them; returns the old ones

 private:
  CHeaderCtrl m_header;
};

// Painting inside a WM_PAINT handler.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  uintptr_t GetSafeHdc() const { return reinterpret_cast<uintptr_t>(this); }
  BOOL DrawIcon(int x, int y, HICON hIcon);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The files of one drop, valid during the WM_DROPFILES handler: the layer frees them
// when the handler returns, so DragFinish has nothing left to do.
// iFile 0xFFFFFFFF: the count of files. Else, without lpszFile, the length of file
// iFile's path in bytes (without the terminator); with it, the path copied, cut to
// cch - 1 bytes and terminated, and the bytes copied. 0 for an index out of range.
UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
void DragFinish(HDROP hDrop);

constexpr UINT WM_ICONERASEBKGND = 0x0027;
int GetSystemMetrics(int nIndex);
// Milliseconds from a coarse monotonic clock: cheap enough to read every few records.
DWORD GetTickCount();
