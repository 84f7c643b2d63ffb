// Inside the layer only: how a CWnd finds what the template said about its window,
// and the text conversions between CString (UTF-8) and wxString.
#pragma once
#include <wx/wx.h>

#include <memory>

#include "platform/mfc/Dialog.h"

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
};

// Access to the protected parts the layer's event routing needs.
struct AfxWindowAccess {
  static void Cancel(CDialog* d) { d->OnCancel(); }
  static void Ok(CDialog* d) { d->OnOK(); }
  static HICON& BigIcon(CWnd* w) { return w->m_hIconBig; }
  static HICON& SmallIcon(CWnd* w) { return w->m_hIconSmall; }
};

// The wx top-level window of a CWnd's window, or nullptr.
inline AfxDialogWindow* DialogWindowOf(wxWindow* w) {
  while (w && !w->IsTopLevel()) w = w->GetParent();
  return dynamic_cast<AfxDialogWindow*>(w);
}

// Builds a bitmap of the image of an icon group nearest to size pixels.
wxBitmap AfxIconBitmap(HICON icon, int size);
