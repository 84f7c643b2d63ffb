// Check boxes and drop-down lists.
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {
wxChoice* ChoiceOf(HWND h) { return dynamic_cast<wxChoice*>(h); }
}  // namespace

int CButton::GetCheck() const {
  auto* box = dynamic_cast<wxCheckBox*>(m_hWnd);
  return box && box->GetValue() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
  if (auto* box = dynamic_cast<wxCheckBox*>(m_hWnd)) box->SetValue(nCheck != 0);
}

void CComboBox::ResetContent() {
  if (wxChoice* c = ChoiceOf(m_hWnd)) c->Clear();
}

int CComboBox::AddString(const char* text) {
  wxChoice* c = ChoiceOf(m_hWnd);
  return c ? c->Append(ToWx(text)) : CB_ERR;
}

int CComboBox::InsertString(int nIndex, const char* text) {
  wxChoice* c = ChoiceOf(m_hWnd);
  if (!c) return CB_ERR;
  if (nIndex < 0) return c->Append(ToWx(text));
  if (nIndex > static_cast<int>(c->GetCount())) return CB_ERR;
  return c->Insert(ToWx(text), static_cast<unsigned>(nIndex));
}

int CComboBox::DeleteString(int nIndex) {
  wxChoice* c = ChoiceOf(m_hWnd);
  if (!c || nIndex < 0 || nIndex >= static_cast<int>(c->GetCount())) return CB_ERR;
  c->Delete(static_cast<unsigned>(nIndex));
  return static_cast<int>(c->GetCount());
}

int CComboBox::SetCurSel(int nSelect) {
  wxChoice* c = ChoiceOf(m_hWnd);
  if (!c) return CB_ERR;
  // Out of range clears the selection, as CB_SETCURSEL does, and reports CB_ERR.
  if (nSelect < 0 || nSelect >= static_cast<int>(c->GetCount())) {
    c->SetSelection(wxNOT_FOUND);
    return CB_ERR;
  }
  c->SetSelection(nSelect);
  return nSelect;
}

int CComboBox::GetCurSel() const {
  wxChoice* c = ChoiceOf(m_hWnd);
  return c ? c->GetSelection() : CB_ERR;
}

int CComboBox::GetCount() const {
  wxChoice* c = ChoiceOf(m_hWnd);
  return c ? static_cast<int>(c->GetCount()) : 0;
}

void CComboBox::GetLBText(int nIndex, CString& text) const {
  wxChoice* c = ChoiceOf(m_hWnd);
  text = c && nIndex >= 0 && nIndex < static_cast<int>(c->GetCount())
             ? FromWx(c->GetString(static_cast<unsigned>(nIndex)))
             : CString();
}

int CComboBox::FindStringExact(int nStart, const char* text) const {
  wxChoice* c = ChoiceOf(m_hWnd);
  if (!c) return CB_ERR;
  wxString wanted = ToWx(text);
  int n = static_cast<int>(c->GetCount());
  for (int k = 1; k <= n; ++k) {
    int i = (nStart + k) % n;  // starts after nStart, as CB_FINDSTRINGEXACT does
    if (i < 0) i += n;
    if (c->GetString(static_cast<unsigned>(i)).IsSameAs(wanted, false)) return i;
  }
  return CB_ERR;
}
