// CWnd over a wx window: texts, states, focus and the few messages the program sends.
#include <wx/evtloop.h>
#include <wx/weakref.h>

#include "platform/mfc/Modal.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {
// A Windows multi-line edit holds "\r\n" breaks; GTK holds "\n".
wxString ToEditText(const char* s, bool multiline) {
  wxString t = ToWx(s);
  if (multiline) t.Replace("\r\n", "\n");
  return t;
}

bool IsMultiline(wxWindow* w) {
  CtlInfo* info = InfoOf(w);
  return info && info->cls == DlgClass::Edit && (info->style & ES_MULTILINE);
}
}  // namespace

CtlInfo::~CtlInfo() = default;

void AfxWindowAccess::Cancel(CDialog* d) { d->OnCancel(); }
void AfxWindowAccess::Ok(CDialog* d) { d->OnOK(); }
HICON& AfxWindowAccess::BigIcon(CWnd* w) { return w->m_hIconBig; }
HICON& AfxWindowAccess::SmallIcon(CWnd* w) { return w->m_hIconSmall; }

CWnd* AfxObjectOf(wxWindow* w) {
  if (!w) return nullptr;
  if (CtlInfo* info = InfoOf(w)) return info->permanent;
  if (auto* dlg = dynamic_cast<AfxDialogWindow*>(w)) return dlg->m_owner;
  return nullptr;
}

CWnd::~CWnd() {
  // A control member outliving its attachment hands the window back to the wrapper.
  if (m_hWnd) Detach();
}

BOOL CWnd::Attach(HWND hWnd) {
  if (!hWnd || m_hWnd) return FALSE;
  m_hWnd = hWnd;
  if (CtlInfo* info = InfoOf(hWnd)) info->permanent = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (CtlInfo* info = InfoOf(h); info && info->permanent == this) info->permanent = info->own.get();
  m_hWnd = nullptr;
  return h;
}

CWnd* CWnd::GetDlgItem(int nID) const {
  if (!m_hWnd) return nullptr;
  for (wxWindow* child : m_hWnd->GetChildren()) {
    CtlInfo* info = InfoOf(child);
    if (info && info->id == nID) return info->permanent;
  }
  return nullptr;
}

CWnd* CWnd::GetWindow(UINT nCmd) const {
  if (!m_hWnd) return nullptr;
  if (nCmd == GW_CHILD) {
    const wxWindowList& children = m_hWnd->GetChildren();
    return children.empty() ? nullptr : AfxObjectOf(children.front());
  }
  if (nCmd == GW_HWNDNEXT && m_hWnd->GetParent() && !m_hWnd->IsTopLevel()) {
    const wxWindowList& siblings = m_hWnd->GetParent()->GetChildren();
    auto it = siblings.Find(m_hWnd);
    return it && it->GetNext() ? AfxObjectOf(it->GetNext()->GetData()) : nullptr;
  }
  return nullptr;
}

int CWnd::GetDlgCtrlID() const {
  CtlInfo* info = InfoOf(m_hWnd);
  return info ? info->id : 0;
}

CWnd* CWnd::GetParent() const { return m_hWnd ? AfxObjectOf(m_hWnd->GetParent()) : nullptr; }

void CWnd::SetWindowText(const char* text) {
  if (!m_hWnd) return;
  if (auto* edit = dynamic_cast<wxTextCtrl*>(m_hWnd)) {
    edit->ChangeValue(ToEditText(text, IsMultiline(m_hWnd)));
  } else if (auto* choice = dynamic_cast<wxChoice*>(m_hWnd)) {
    // A drop-down list takes no typed text: only an item of its own can be shown.
    int i = choice->FindString(ToWx(text), true);
    if (i != wxNOT_FOUND) choice->SetSelection(i);
  } else if (auto* tlw = dynamic_cast<wxTopLevelWindow*>(m_hWnd)) {
    tlw->SetTitle(ToWx(text));
  } else {
    m_hWnd->SetLabel(ToWx(text));
  }
}

void CWnd::GetWindowText(CString& text) const {
  text.Empty();
  if (!m_hWnd) return;
  if (auto* edit = dynamic_cast<wxTextCtrl*>(m_hWnd)) {
    wxString v = edit->GetValue();
    if (IsMultiline(m_hWnd)) v.Replace("\n", "\r\n");
    text = FromWx(v);
  } else if (auto* choice = dynamic_cast<wxChoice*>(m_hWnd)) {
    text = choice->GetSelection() == wxNOT_FOUND ? CString() : FromWx(choice->GetStringSelection());
  } else if (auto* tlw = dynamic_cast<wxTopLevelWindow*>(m_hWnd)) {
    text = FromWx(tlw->GetTitle());
  } else {
    text = FromWx(m_hWnd->GetLabel());
  }
}

int CWnd::GetWindowTextLength() const {
  CString s;
  GetWindowText(s);
  return s.GetLength();
}

void CWnd::SetDlgItemText(int nID, const char* text) {
  if (CWnd* w = GetDlgItem(nID)) w->SetWindowText(text);
}

int CWnd::GetDlgItemText(int nID, CString& text) const {
  text.Empty();
  if (CWnd* w = GetDlgItem(nID)) w->GetWindowText(text);
  return text.GetLength();
}

// The control that had the keyboard focus when it was disabled. GTK leaves no widget
// focused then, and the dialog hears keys only through a focused child, so Esc and
// Enter would be dead until the user clicked; Windows keeps the dialog listening.
// Giving the focus back when the same control is enabled again, while nothing else
// took it, keeps the keyboard working after an operation disabled its own button.
static wxWeakRef<wxWindow> s_disabledWithFocus;

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (!m_hWnd) return FALSE;
  BOOL wasDisabled = !m_hWnd->IsThisEnabled();
  wxWindow* focus = wxWindow::FindFocus();
  const bool losesFocus = !bEnable && focus && (focus == m_hWnd || m_hWnd->IsDescendant(focus));
  m_hWnd->Enable(bEnable != FALSE);
  if (losesFocus) {
    s_disabledWithFocus = m_hWnd;
  } else if (bEnable && s_disabledWithFocus.get() == m_hWnd) {
    s_disabledWithFocus = nullptr;
    wxWindow* now = wxWindow::FindFocus();
    if (!now || now == wxGetTopLevelParent(m_hWnd)) m_hWnd->SetFocus();
  }
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && m_hWnd->IsThisEnabled(); }

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (!m_hWnd) return FALSE;
  BOOL wasVisible = m_hWnd->IsShown();
  m_hWnd->Show(nCmdShow != SW_HIDE);
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
  // As Windows answers it: this window and every parent up to the top are shown.
  for (wxWindow* w = m_hWnd; w; w = w->IsTopLevel() ? nullptr : w->GetParent())
    if (!w->IsShown()) return FALSE;
  return m_hWnd != nullptr;
}

BOOL CWnd::IsIconic() const {
  auto* tlw = dynamic_cast<wxTopLevelWindow*>(m_hWnd);
  return tlw && tlw->IsIconized();
}

CWnd* CWnd::SetFocus() {
  CWnd* before = GetFocus();
  if (m_hWnd) m_hWnd->SetFocus();
  return before;
}

CWnd* CWnd::GetFocus() { return AfxObjectOf(wxWindow::FindFocus()); }

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
  auto* w = GetDlgItem(nIDButton);
  auto* box = w ? dynamic_cast<wxCheckBox*>(w->m_hWnd) : nullptr;
  return box && box->GetValue() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
  auto* w = GetDlgItem(nIDButton);
  if (auto* box = w ? dynamic_cast<wxCheckBox*>(w->m_hWnd) : nullptr) box->SetValue(nCheck != 0);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  ModalRequest r;
  r.kind = ModalRequest::MessageBox;
  r.owner = this;
  r.text = text;
  r.caption = caption ? caption : AfxGetAppName();
  r.type = type;
  return AfxRunModal(r).result;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  HICON& slot = bBigIcon ? m_hIconBig : m_hIconSmall;
  HICON old = slot;
  slot = hIcon;
  if (auto* tlw = dynamic_cast<wxTopLevelWindow*>(m_hWnd)) {
    // The window manager picks the size it needs from every image of both icons.
    wxIconBundle bundle;
    for (HICON h : {m_hIconSmall, m_hIconBig}) {
      if (!h) continue;
      for (size_t i = 0; i < h->imageCount; ++i) {
        wxIcon icon;
        icon.CopyFromBitmap(AfxIconBitmap(h, h->images[i].size));
        bundle.AddIcon(icon);
      }
    }
    tlw->SetIcons(bundle);
  }
  return old;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hIconBig : m_hIconSmall; }

void CWnd::GetClientRect(RECT* rect) const {
  wxSize s = m_hWnd ? m_hWnd->GetClientSize() : wxSize(0, 0);
  *rect = RECT{0, 0, s.x, s.y};
}

void CWnd::GetWindowRect(RECT* rect) const {
  if (!m_hWnd) { *rect = RECT{0, 0, 0, 0}; return; }
  // A child's outer rectangle, its border included: the toolkit's screen rectangle
  // of a window that draws its own border starts inside it.
  wxRect r = m_hWnd->GetScreenRect();
  if (!m_hWnd->IsTopLevel() && m_hWnd->GetParent())
    r = wxRect(m_hWnd->GetParent()->ClientToScreen(m_hWnd->GetPosition()), m_hWnd->GetSize());
  *rect = RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

void CWnd::ScreenToClient(RECT* rect) const {
  if (!m_hWnd) return;
  wxPoint tl = m_hWnd->ScreenToClient(wxPoint(rect->left, rect->top));
  LONG w = rect->right - rect->left, h = rect->bottom - rect->top;
  *rect = RECT{tl.x, tl.y, tl.x + w, tl.y + h};
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  HWND h = Detach();
  h->Destroy();
  return TRUE;
}

void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
