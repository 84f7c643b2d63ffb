// Inside the layer only: how a CWnd finds what the template said about its window,
// and the text conversions between CString (UTF-8) and wxString. The bridge sits
// below the window classes: it names CWnd and CDialog but includes neither, so the
// classes built on it can include it without a circle.
#pragma once
#include <wx/wx.h>

#include <memory>

#include "platform/mfc/CString.h"
#include "platform/mfc/DialogTemplate.h"

class CWnd;
class CDialog;

inline wxString ToWx(const char* s) { return wxString::FromUTF8(s ? s : ""); }
inline CString FromWx(const wxString& s) { return CString(s.utf8_string()); }

// What a child window carries from its template row, and the object that stands for
// it: the DDX_Control member once one is attached, else the layer's own wrapper.
struct CtlInfo : wxClientData {
  int id = -1;
  DlgClass cls = DlgClass::Static;
  DWORD style = 0;
  DWORD exStyle = 0;
  DWORD listExStyle = 0;   // LVS_EX_* other than the grid lines, which wx holds
  CWnd* permanent = nullptr;
  std::unique_ptr<CWnd> own;
  ~CtlInfo() override;  // where CWnd is complete (Wnd.cpp)
};

inline CtlInfo* InfoOf(wxWindow* w) {
  return w ? dynamic_cast<CtlInfo*>(static_cast<wxEvtHandler*>(w)->GetClientObject()) : nullptr;
}

// The object standing for a window: a child's permanent object, a dialog's CDialog.
CWnd* AfxObjectOf(wxWindow* w);

// The top-level window of a CDialog: routes wx events into the message map.
class AfxDialogWindow : public wxDialog {
 public:
  explicit AfxDialogWindow(CDialog* owner) : m_owner(owner) {}
  CDialog* m_owner;
  wxPaintEvent* m_paintEvent = nullptr;  // set while WM_PAINT is dispatched
  bool m_paintDefault = false;           // Default() asked for the default painting
  unsigned long m_paints = 0;            // paint events so far: has the window been drawn?
  bool m_firstPaintAwaited = false;      // UpdateWindow waited for the first drawing once
  int m_modalState = 0;                  // BeginModalState calls not yet ended
  bool m_closeRequested = false;         // Esc or the close box while in modal state
};

// Access to the protected parts the layer's event routing needs.
// Defined in Wnd.cpp, where the classes are complete.
struct AfxWindowAccess {
  static void Cancel(CDialog* d);
  static void Ok(CDialog* d);
  static HICON& BigIcon(CWnd* w);
  static HICON& SmallIcon(CWnd* w);
};

// The wx top-level window of a CWnd's window, or nullptr.
inline AfxDialogWindow* DialogWindowOf(wxWindow* w) {
  while (w && !w->IsTopLevel()) w = w->GetParent();
  return dynamic_cast<AfxDialogWindow*>(w);
}

// The report-view list of a template's list view, its header kept over its columns.
class wxListCtrl;
wxListCtrl* AfxNewReportList(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                             const wxSize& size);

// The real file dialog a request of the modal seam shows (the caller owns it).
struct ModalRequest;
class wxFileDialog;
wxFileDialog* AfxNewFileDialog(const ModalRequest& request);

// Builds a bitmap of the image of an icon group nearest to size pixels.
wxBitmap AfxIconBitmap(HICON icon, int size);
