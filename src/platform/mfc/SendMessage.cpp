// The messages a handler or a test sends to a window, delivered the way the user's
// action would arrive: through wx events, so the same routing runs.
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {
// A click as the user makes it: ignored by a disabled control; a check box toggles
// first, then notifies.
void Click(wxWindow* w) {
  if (!w->IsEnabled()) return;
  if (auto* box = dynamic_cast<wxCheckBox*>(w)) {
    box->SetValue(!box->GetValue());
    wxCommandEvent ev(wxEVT_CHECKBOX, box->GetId());
    ev.SetEventObject(box);
    ev.SetInt(box->GetValue() ? 1 : 0);
    box->HandleWindowEvent(ev);
  } else if (auto* button = dynamic_cast<wxButton*>(w)) {
    wxCommandEvent ev(wxEVT_BUTTON, button->GetId());
    ev.SetEventObject(button);
    button->HandleWindowEvent(ev);
  }
}

// A key pressed while w has the focus: the dialog sees it first (wxEVT_CHAR_HOOK).
// Returns 1 when the dialog passed it on to the control, 0 when it took it.
LRESULT Key(wxWindow* w, UINT vk) {
  wxKeyEvent ev(wxEVT_CHAR_HOOK);
  ev.m_keyCode = vk == VK_RETURN ? WXK_RETURN : vk == VK_ESCAPE ? WXK_ESCAPE : static_cast<int>(vk);
  ev.SetEventObject(w);
  ev.Skip(false);
  w->HandleWindowEvent(ev);
  return ev.GetSkipped() ? 1 : 0;
}
}  // namespace

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  switch (message) {
    case BM_CLICK: Click(m_hWnd); return 0;
    case BM_GETCHECK: {
      auto* box = dynamic_cast<wxCheckBox*>(m_hWnd);
      return box && box->GetValue() ? BST_CHECKED : BST_UNCHECKED;
    }
    case BM_SETCHECK:
      if (auto* box = dynamic_cast<wxCheckBox*>(m_hWnd)) box->SetValue(wParam != 0);
      return 0;
    case WM_KEYDOWN: return Key(m_hWnd, static_cast<UINT>(wParam));
    case WM_CLOSE:
      if (m_hWnd->IsTopLevel()) m_hWnd->Close();
      return 0;
    case WM_SETICON:
      return reinterpret_cast<LRESULT>(SetIcon(reinterpret_cast<HICON>(lParam), wParam == ICON_BIG));
    default: {
      LRESULT r = 0;
      OnWndMsg(message, wParam, lParam, &r);
      return r;
    }
  }
}
