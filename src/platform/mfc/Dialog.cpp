// CDialog: the window built from its template, the routing of wx events into the
// message map, the dialog keys, and the modal and modeless life cycles.
#include <wx/stattext.h>
#include <wx/generic/stattextg.h>
#include <wx/listctrl.h>
#include <wx/statbox.h>

#include "platform/com/Translate.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {

constexpr int kClosedComboHeight = 14;  // dialog units

void Route(AfxDialogWindow* w, UINT message, WPARAM wParam = 0) {
  if (w->m_owner) w->m_owner->OnWndMsg(message, wParam, 0, nullptr);
}

void RouteCommand(AfxDialogWindow* w, wxCommandEvent& ev, UINT code) {
  CtlInfo* info = InfoOf(dynamic_cast<wxWindow*>(ev.GetEventObject()));
  if (!info) { ev.Skip(); return; }
  Route(w, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(info->id), code));
}

bool IsPushButton(const CtlInfo* info) {
  return info && info->cls == DlgClass::Button &&
         (info->style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
}

bool TakesReturn(const CtlInfo* info) {
  return info && info->cls == DlgClass::Edit && (info->style & ES_MULTILINE) &&
         (info->style & ES_WANTRETURN);
}

// The dialog manager's keys. Esc is IDCANCEL; Enter clicks a focused push button,
// is a line break in a multi-line edit that wants it, and is IDOK anywhere else.
// The key's target is the control that had the focus when it was pressed.
void OnDialogKey(AfxDialogWindow* w, wxKeyEvent& ev) {
  int key = ev.GetKeyCode();
  if (ev.HasAnyModifiers() || !w->m_owner) { ev.Skip(); return; }
  CtlInfo* target = InfoOf(dynamic_cast<wxWindow*>(ev.GetEventObject()));
  if (key == WXK_ESCAPE) {
    Route(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
  } else if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    if (TakesReturn(target))
      ev.Skip();
    else if (IsPushButton(target))
      Route(w, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(target->id), BN_CLICKED));
    else
      Route(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
  } else {
    ev.Skip();
  }
}

long EditStyle(DWORD s) {
  long style = 0;
  if (s & ES_MULTILINE) style |= wxTE_MULTILINE | wxHSCROLL | wxTE_DONTWRAP;
  if (s & ES_READONLY) style |= wxTE_READONLY;
  return style;
}

wxWindow* CreateControl(wxWindow* parent, const DlgItemTemplate& t, const wxPoint& pos,
                        const wxSize& size) {
  wxWindowID id = t.id > 0 ? t.id : wxID_ANY;
  // A template's texts are source texts (marked N_), shown in the user's language.
  wxString text = ToWx(Translate(t.text));
  switch (t.cls) {
    case DlgClass::Button:
      switch (t.style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX: return new wxCheckBox(parent, id, text, pos, size, wxCHK_2STATE);
        case BS_GROUPBOX: return new wxStaticBox(parent, id, text, pos, size);
        default: return new wxButton(parent, id, text, pos, size);
      }
    case DlgClass::Edit:
      return new wxTextCtrl(parent, id, text, pos, size, EditStyle(t.style));
    case DlgClass::ComboBox: {
      // The template's height is the dropped list's. Closed, the box is as tall as
      // the template's edits and buttons beside it (14 dialog units), as a Windows
      // drop-down list is, not the taller box GTK's theme would make of it.
      const int closed = parent->ConvertDialogToPixels(wxSize(0, kClosedComboHeight)).y;
      return new wxChoice(parent, id, pos, wxSize(size.x, closed));
    }
    case DlgClass::ListView:
      return AfxNewReportList(parent, id, pos, size);
    case DlgClass::Static:
    default: {
      long align = (t.style & 3) == SS_RIGHT ? wxALIGN_RIGHT : wxALIGN_LEFT;
      // GTK's own label draws no border; a static edge (the status line's) is drawn
      // by the toolkit's generic text, which has a window of its own to draw it on.
      if (t.exStyle & WS_EX_STATICEDGE)
        return new wxGenericStaticText(parent, id, text, pos, size,
                                       align | wxST_NO_AUTORESIZE | wxBORDER_SUNKEN);
      return new wxStaticText(parent, id, text, pos, size, align | wxST_NO_AUTORESIZE);
    }
  }
}

}  // namespace

// CWnd::Default lives here: the only default handling the layer defers is painting.
LRESULT CWnd::Default() {
  if (auto* dlg = dynamic_cast<AfxDialogWindow*>(m_hWnd); dlg && dlg->m_paintEvent)
    dlg->m_paintDefault = true;
  return 0;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  // A window still alive here is closed without WM_DESTROY: the derived part that
  // would handle it is gone already.
  if (m_hWnd) {
    m_bDestroying = true;
    if (auto* w = dynamic_cast<AfxDialogWindow*>(m_hWnd)) w->m_owner = nullptr;
    CWnd::DestroyWindow();
  }
}

BOOL CDialog::BuildWindow(UINT nIDTemplate, CWnd* pParentWnd) {
  if (m_hWnd || !AfxWinInit()) return FALSE;
  m_pTemplate = AfxFindDialogTemplate(nIDTemplate);
  if (!m_pTemplate) return FALSE;
  const DialogTemplate& t = *m_pTemplate;
  m_nModalResult = -1;
  m_bDestroying = false;

  wxWindow* parent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
  if (t.style & WS_MINIMIZEBOX) style |= wxMINIMIZE_BOX;
  if (!parent) style |= wxDIALOG_NO_PARENT;
  auto* w = new AfxDialogWindow(this);
  w->Create(parent, wxID_ANY, ToWx(t.caption), wxDefaultPosition, wxDefaultSize, style);
  m_hWnd = w;
  // Dialog units come from this font, as Windows takes them from the template's.
  wxFont font(wxFontInfo(t.pointSize).FaceName(ToWx(t.fontFace)));
  w->SetFont(font);
  w->SetClientSize(w->ConvertDialogToPixels(wxSize(t.cx, t.cy)));

  for (size_t i = 0; i < t.itemCount; ++i) {
    const DlgItemTemplate& row = t.items[i];
    wxPoint pos = w->ConvertDialogToPixels(wxPoint(row.x, row.y));
    wxSize size = w->ConvertDialogToPixels(wxSize(row.cx, row.cy));
    wxWindow* c = CreateControl(w, row, pos, size);
    c->SetFont(font);
    // A GTK check box has a larger indicator than a Windows one: where the template's
    // box is too small for it and its text, it grows (rightwards, and evenly up and
    // down about the template's centre line) instead of clipping its text.
    if (dynamic_cast<wxCheckBox*>(c)) {
      wxSize need = c->GetBestSize();
      int h = std::max(need.y, size.y);
      c->SetSize(pos.x, pos.y - (h - size.y) / 2, std::max(need.x, size.x), h);
    }
    auto* info = new CtlInfo;
    info->id = row.id;
    info->cls = row.cls;
    info->style = row.style;
    info->exStyle = row.exStyle;
    switch (row.cls) {
      case DlgClass::Button: info->own.reset(new CButton); break;
      case DlgClass::Edit: info->own.reset(new CEdit); break;
      case DlgClass::ComboBox: info->own.reset(new CComboBox); break;
      case DlgClass::ListView: info->own.reset(new CListCtrl); break;
      default: info->own.reset(new CStatic); break;
    }
    info->own->m_hWnd = c;
    info->permanent = info->own.get();
    static_cast<wxEvtHandler*>(c)->SetClientObject(info);
    if (row.style & WS_DISABLED) c->Disable();
    if (!(row.style & WS_VISIBLE)) c->Hide();
  }

  w->Bind(wxEVT_BUTTON, [w](wxCommandEvent& ev) { RouteCommand(w, ev, BN_CLICKED); });
  w->Bind(wxEVT_CHECKBOX, [w](wxCommandEvent& ev) { RouteCommand(w, ev, BN_CLICKED); });
  w->Bind(wxEVT_CHOICE, [w](wxCommandEvent& ev) { RouteCommand(w, ev, CBN_SELCHANGE); });
  w->Bind(wxEVT_CHAR_HOOK, [w](wxKeyEvent& ev) { OnDialogKey(w, ev); });
  // The close box is IDCANCEL, as the system menu's Close is in a Windows dialog.
  w->Bind(wxEVT_CLOSE_WINDOW, [w](wxCloseEvent& ev) {
    if (w->m_owner)
      Route(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    else
      ev.Skip();
  });
  w->Bind(wxEVT_PAINT, [w](wxPaintEvent& ev) {
    ++w->m_paints;
    if (!w->m_owner || !w->m_owner->HasHandler(WM_PAINT)) { ev.Skip(); return; }
    w->m_paintEvent = &ev;
    w->m_paintDefault = false;
    Route(w, WM_PAINT);
    w->m_paintEvent = nullptr;
    if (w->m_paintDefault) ev.Skip();
  });
  return TRUE;
}

void CDialog::FocusFirstTabStop() {
  if (CWnd* first = GetNextDlgTabItem(nullptr)) first->SetFocus();
}

int CDialog::DoModal() {
  if (!BuildWindow(m_nIDHelp, m_pParentWnd)) return -1;
  auto* w = static_cast<AfxDialogWindow*>(m_hWnd);
  BOOL focusDefault = OnInitDialog();
  if (m_nModalResult == -1 && m_hWnd) {
    if (focusDefault) {
      FocusFirstTabStop();
      // GTK settles the focus when the window maps; give it again once it has.
      w->CallAfter([this] { if (m_hWnd && m_bInModal && !GetFocus()) FocusFirstTabStop(); });
    }
    m_bInModal = true;
    w->ShowModal();
    m_bInModal = false;
  }
  DestroyWindow();
  return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  if (!BuildWindow(nIDTemplate, pParentWnd)) return FALSE;
  BOOL focusDefault = OnInitDialog();
  if (!m_hWnd) return FALSE;
  if (m_pTemplate->style & WS_VISIBLE) m_hWnd->Show();
  if (focusDefault) FocusFirstTabStop();
  return TRUE;
}

BOOL CDialog::DestroyWindow() {
  if (!m_hWnd || m_bDestroying) return FALSE;
  m_bDestroying = true;
  // WM_DESTROY first, while every child control still exists.
  OnWndMsg(WM_DESTROY, 0, 0, nullptr);
  auto* w = static_cast<AfxDialogWindow*>(m_hWnd);
  w->m_owner = nullptr;
  for (wxWindow* child : w->GetChildren()) {
    if (CtlInfo* info = InfoOf(child)) {
      if (info->permanent && info->permanent != info->own.get()) info->permanent->Detach();
      info->own->m_hWnd = nullptr;
      info->permanent = nullptr;
    }
  }
  m_hWnd = nullptr;
  w->Hide();
  w->Destroy();
  m_bDestroying = false;
  return TRUE;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  if (!m_hWnd) return;
  auto* w = static_cast<AfxDialogWindow*>(m_hWnd);
  if (m_bInModal && w->IsModal()) {
    w->EndModal(nResult);
  } else if (m_bInModal) {
    // Asked while ShowModal is still getting the loop going: end it once it runs.
    w->CallAfter([w, nResult] { if (w->IsModal()) w->EndModal(nResult); });
  } else {
    w->Hide();
  }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

// The base initialisation: the template's initialisation data, then the data
// exchange member to control.
BOOL CDialog::OnInitDialog() {
  if (m_pTemplate) {
    for (size_t i = 0; i < m_pTemplate->initCount; ++i) {
      const DlgInitEntry& e = m_pTemplate->init[i];
      CWnd* c = GetDlgItem(e.id);
      if (auto* choice = c ? dynamic_cast<wxChoice*>(c->m_hWnd) : nullptr)
        choice->Append(ToWx(Translate(e.text)));
    }
  }
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

CWnd* CDialog::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
  if (!m_hWnd) return nullptr;
  std::vector<wxWindow*> order;
  for (wxWindow* child : m_hWnd->GetChildren()) order.push_back(child);
  if (bPrevious) std::reverse(order.begin(), order.end());
  size_t n = order.size(), start = 0;
  if (pWndCtl) {
    auto it = std::find(order.begin(), order.end(), pWndCtl->m_hWnd);
    if (it != order.end()) start = static_cast<size_t>(it - order.begin()) + 1;
  }
  for (size_t k = 0; k < n; ++k) {
    wxWindow* c = order[(start + k) % n];
    CtlInfo* info = InfoOf(c);
    if (info && (info->style & WS_TABSTOP) && c->IsShown() && c->IsThisEnabled())
      return info->permanent;
  }
  return nullptr;
}

void CDialog::MapDialogRect(RECT* rect) const {
  if (!m_hWnd) return;
  wxPoint tl = m_hWnd->ConvertDialogToPixels(wxPoint(rect->left, rect->top));
  wxPoint br = m_hWnd->ConvertDialogToPixels(wxPoint(rect->right, rect->bottom));
  *rect = RECT{tl.x, tl.y, br.x, br.y};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;  // attached at the first exchange
  CWnd* c = pDX->m_pDlgWnd->GetDlgItem(nIDC);
  if (c && c->m_hWnd) rControl.Attach(c->m_hWnd);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  CWnd* c = pDX->m_pDlgWnd->GetDlgItem(nIDC);
  auto* box = c ? dynamic_cast<wxCheckBox*>(c->m_hWnd) : nullptr;
  if (!box) return;
  if (pDX->m_bSaveAndValidate)
    value = box->GetValue() ? 1 : 0;
  else
    box->SetValue(value != 0);
}
