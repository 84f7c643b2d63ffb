// A window that stays alive while one of its handlers runs a long operation on the
// GUI thread. GTK paints, and answers the window manager's ping, only from its event
// loop; a handler that never returns to it leaves the window blank and gets it marked
// "not responding". So the handler serves the loop now and then (UpdateWindow), while
// an event filter keeps the user's input away from the window's handlers: the
// operation runs to its end, as it would on Windows with the message loop blocked.
#include <wx/apptrait.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/weakref.h>

#include <time.h>
#include <unistd.h>

#include <memory>

#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {

bool IsEscape(const wxEvent& ev) {
  auto* key = dynamic_cast<const wxKeyEvent*>(&ev);
  return key && (ev.GetEventType() == wxEVT_CHAR_HOOK || ev.GetEventType() == wxEVT_KEY_DOWN) &&
         key->GetKeyCode() == WXK_ESCAPE && !key->HasAnyModifiers();
}

// Takes every input event of a window in modal state: clicks, keys, the wheel and
// the commands they would make. Esc and the close box are kept for EndModalState.
class ModalStateFilter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& ev) override {
    const bool close = ev.GetEventType() == wxEVT_CLOSE_WINDOW;
    if (!close && (ev.GetEventCategory() != wxEVT_CATEGORY_USER_INPUT ||
                   ev.GetEventType() == wxEVT_UPDATE_UI))
      return Event_Skip;
    AfxDialogWindow* dlg = DialogWindowOf(dynamic_cast<wxWindow*>(ev.GetEventObject()));
    if (!dlg || dlg->m_modalState == 0) return Event_Skip;
    if (close || IsEscape(ev)) dlg->m_closeRequested = true;
    // "Processed", so that GTK does not act on it either (no text typed, no click).
    return Event_Processed;
  }
};

ModalStateFilter g_filter;
int g_windowsInModalState = 0;

// Serves the events pending now, without waiting. In modal state input is served
// too, so that the filter drops it rather than leaving it queued for later.
void ServePending(bool withInput) {
  if (!wxTheApp) return;
  long events = wxEVT_CATEGORY_UI | (withInput ? wxEVT_CATEGORY_USER_INPUT : 0);
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    loop->YieldFor(events);
    return;
  }
  // No loop runs yet (a modeless window before the application's loop).
  std::unique_ptr<wxEventLoopBase> loop(wxTheApp->GetTraits()->CreateEventLoop());
  if (loop) loop->YieldFor(events);
}

// Serves the loop until the window has been painted since `painted` paints, for at
// most `limit` milliseconds (a window the user cannot see, or whose compositor holds
// the frame, is not waited for longer).
void ServeUntilPainted(AfxDialogWindow* dlg, unsigned long painted, DWORD limit, bool withInput) {
  const DWORD start = GetTickCount();
  for (;;) {
    ServePending(withInput);
    if (dlg->m_paints != painted || GetTickCount() - start >= limit) break;
    usleep(1000);
  }
}

}  // namespace

DWORD GetTickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<DWORD>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

void CWnd::UpdateWindow() {
  if (!m_hWnd) return;
  AfxDialogWindow* dlg = DialogWindowOf(m_hWnd);
  const bool inModalState = dlg && dlg->m_modalState > 0;
  // A window just shown is drawn a moment later, once the window manager has
  // framed and mapped it: its first drawing is waited for, once, so that a box
  // that follows stands over a window that is on screen, not on an empty desktop.
  if (dlg && !dlg->m_firstPaintAwaited && dlg->IsShownOnScreen() && !dlg->IsIconized()) {
    dlg->m_firstPaintAwaited = true;
    if (dlg->m_paints == 0) {
      ServeUntilPainted(dlg, 0, 500, inModalState);
      return;
    }
  }
  ServePending(inModalState);
}

void CWnd::BeginModalState() {
  AfxDialogWindow* dlg = DialogWindowOf(m_hWnd);
  if (!dlg) return;
  if (dlg->m_modalState++ == 0) {
    dlg->m_closeRequested = false;
    if (g_windowsInModalState++ == 0) wxEvtHandler::AddFilter(&g_filter);
    // The operation's button, disabled, lost the focus (wx may still name it); GTK
    // then hands the window's keys to no one and Esc could not be heard. The
    // window's own client area takes the focus meanwhile (it shows none); enabling
    // the button gives it back.
    wxWindow* focus = wxWindow::FindFocus();
    if (!focus || !focus->IsEnabled() || !dlg->IsDescendant(focus)) {
      dlg->SetCanFocus(true);
      dlg->wxWindow::SetFocus();
    }
  }
  // GTK draws at its next frame, up to a frame after the change: serve the loop
  // until the window has been painted, for at most a tenth of a second.
  if (!dlg->IsShownOnScreen() || dlg->IsIconized()) return;
  ServeUntilPainted(dlg, dlg->m_paints, 100, true);
}

void CWnd::EndModalState() {
  AfxDialogWindow* dlg = DialogWindowOf(m_hWnd);
  if (!dlg || dlg->m_modalState == 0 || --dlg->m_modalState > 0) return;
  if (--g_windowsInModalState == 0) wxEvtHandler::RemoveFilter(&g_filter);
  dlg->SetCanFocus(false);
  if (!dlg->m_closeRequested) return;
  dlg->m_closeRequested = false;
  // The close box's own path (IDCANCEL through the message map), once the handler
  // that ran the operation has returned.
  wxWeakRef<AfxDialogWindow> alive(dlg);
  dlg->CallAfter([alive] {
    if (alive && alive->m_owner)
      alive->m_owner->OnWndMsg(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, nullptr);
  });
}
