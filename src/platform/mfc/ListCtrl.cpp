// The report-view list control over wxListCtrl.
#include <wx/listctrl.h>

#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {
wxListCtrl* ListOf(HWND h) { return dynamic_cast<wxListCtrl*>(h); }

wxListColumnFormat FormatOf(int nFormat) {
  switch (nFormat & 3) {
    case LVCFMT_RIGHT: return wxLIST_FORMAT_RIGHT;
    case LVCFMT_CENTER: return wxLIST_FORMAT_CENTRE;
    default: return wxLIST_FORMAT_LEFT;
  }
}

constexpr long kGridStyle = wxLC_HRULES | wxLC_VRULES;

// The generic list's header window, one of its children.
wxWindow* HeaderOf(wxListCtrl* l) {
  for (wxWindow* c : l->GetChildren())
    if (static_cast<void*>(c) == static_cast<void*>(l->m_headerWin)) return c;
  return nullptr;
}
}  // namespace

wxListCtrl* AfxNewReportList(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                             const wxSize& size) {
  auto* l = new wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxBORDER_SUNKEN);
  // The toolkit's list repaints its header when a sideways scroll (the wheel, the
  // horizontal wheel buttons, the scroll bar) begins, before the columns move, so
  // the header stays a step behind its columns. It is painted again once the
  // scroll is done.
  const auto repaintHeader = [l](wxScrollWinEvent& ev) {
    ev.Skip();
    if (ev.GetOrientation() != wxHORIZONTAL) return;
    l->CallAfter([l] {
      if (wxWindow* header = HeaderOf(l)) {
        header->Refresh();
        header->Update();
      }
    });
  };
  for (const wxEventTypeTag<wxScrollWinEvent>& type :
       {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
        wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
        wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
    l->Bind(type, repaintHeader);
  return l;
}

int CHeaderCtrl::GetItemCount() const {
  wxListCtrl* l = ListOf(m_list);
  return l ? l->GetColumnCount() : -1;
}

BOOL CListCtrl::DeleteAllItems() {
  wxListCtrl* l = ListOf(m_hWnd);
  return l && l->DeleteAllItems();
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() {
  if (!ListOf(m_hWnd)) return nullptr;
  m_header.m_list = m_hWnd;
  return &m_header;
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  wxListCtrl* l = ListOf(m_hWnd);
  return l && nCol >= 0 && nCol < l->GetColumnCount() && l->DeleteColumn(nCol);
}

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth, int) {
  wxListCtrl* l = ListOf(m_hWnd);
  if (!l || nCol < 0) return -1;
  if (nCol > l->GetColumnCount()) nCol = l->GetColumnCount();
  int width = nWidth == -1 ? wxLIST_DEFAULT_COL_WIDTH : nWidth;
  return static_cast<int>(l->InsertColumn(nCol, ToWx(heading), FormatOf(nFormat), width));
}

int CListCtrl::InsertItem(int nItem, const char* text) {
  wxListCtrl* l = ListOf(m_hWnd);
  if (!l || l->GetColumnCount() == 0) return -1;
  if (nItem < 0 || nItem > l->GetItemCount()) nItem = l->GetItemCount();
  return static_cast<int>(l->InsertItem(nItem, ToWx(text)));
}

int CListCtrl::InsertItem(const LVITEM* pItem) {
  if (!pItem) return -1;
  return InsertItem(pItem->iItem, (pItem->mask & LVIF_TEXT) ? pItem->pszText : "");
}

BOOL CListCtrl::SetItem(const LVITEM* pItem) {
  if (!pItem || !(pItem->mask & LVIF_TEXT)) return pItem != nullptr;
  return SetItemText(pItem->iItem, pItem->iSubItem, pItem->pszText);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
  wxListCtrl* l = ListOf(m_hWnd);
  if (!l || nItem < 0 || nItem >= l->GetItemCount() || nSubItem < 0 ||
      nSubItem >= l->GetColumnCount())
    return FALSE;
  l->SetItem(nItem, nSubItem, ToWx(text));
  return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  wxListCtrl* l = ListOf(m_hWnd);
  if (!l || nItem < 0 || nItem >= l->GetItemCount() || nSubItem < 0 ||
      nSubItem >= l->GetColumnCount())
    return CString();
  return FromWx(l->GetItemText(nItem, nSubItem));
}

int CListCtrl::GetItemCount() const {
  wxListCtrl* l = ListOf(m_hWnd);
  return l ? l->GetItemCount() : 0;
}

int CListCtrl::GetColumnCount() const {
  wxListCtrl* l = ListOf(m_hWnd);
  return l ? l->GetColumnCount() : 0;
}

CString CListCtrl::GetColumnHeading(int nCol) const {
  wxListCtrl* l = ListOf(m_hWnd);
  if (!l || nCol < 0 || nCol >= l->GetColumnCount()) return CString();
  wxListItem col;
  col.SetMask(wxLIST_MASK_TEXT);
  l->GetColumn(nCol, col);
  return FromWx(col.GetText());
}

int CListCtrl::GetColumnWidth(int nCol) const {
  wxListCtrl* l = ListOf(m_hWnd);
  return l && nCol >= 0 && nCol < l->GetColumnCount() ? l->GetColumnWidth(nCol) : 0;
}

// Grid lines are read back from the widget itself, so a test sees what is drawn;
// full-row selection is what the wx report view always does, and is kept as a flag.
DWORD CListCtrl::GetExtendedStyle() const {
  wxListCtrl* l = ListOf(m_hWnd);
  CtlInfo* info = InfoOf(m_hWnd);
  if (!l || !info) return 0;
  DWORD grid = (l->GetWindowStyleFlag() & kGridStyle) == kGridStyle ? LVS_EX_GRIDLINES : 0;
  return (info->listExStyle & ~LVS_EX_GRIDLINES) | grid;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
  wxListCtrl* l = ListOf(m_hWnd);
  CtlInfo* info = InfoOf(m_hWnd);
  if (!l || !info) return 0;
  DWORD old = GetExtendedStyle();
  info->listExStyle = dwNewStyle & ~LVS_EX_GRIDLINES;
  long style = l->GetWindowStyleFlag() & ~kGridStyle;
  if (dwNewStyle & LVS_EX_GRIDLINES) style |= kGridStyle;
  l->SetWindowStyleFlag(style);
  l->Refresh();
  return old;
}
