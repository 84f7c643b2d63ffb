// The end of the session as the program hears it: a desktop that logs out or shuts
// down sends SIGTERM (a closed terminal SIGHUP), and the main window closes as on
// Esc or its close box, so that what its closing does (the settings save) is done.
//
// A signal handler may do next to nothing, so it only writes a byte into a pipe; the
// GUI thread reads the pipe from its event loop (also from inside a long operation,
// which serves the loop) and makes the close request there.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/timer.h>

#include "platform/mfc/Modal.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/WxBridge.h"

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnSessionEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Non-blocking: a full pipe already holds a request.
  if (write(g_pipe[1], &byte, 1) < 0) {}
  errno = saved;
}

// The close request, made where the user's close box makes it. An open box is
// closed first (answered as its close box answers it) and the request waits until
// no box is left: ending the window beneath a box's own loop would leave the box
// without its owner. It also waits while no window is there yet; a long operation
// keeps it, as it keeps the close box, until it has ended.
class CloseRequest : public wxTimer {
 public:
  void Make() {
    CWnd* main = AfxGetApp()->m_pMainWnd;
    AfxDialogWindow* w = main ? DialogWindowOf(main->m_hWnd) : nullptr;
    if (!w || AfxIsModalBoxOpen()) {
      AfxCloseOpenBox();
      if (!IsRunning()) StartOnce(100);
      return;
    }
    w->Close();
  }
  void Notify() override { Make(); }
};

class SignalPipeReader : public wxEventLoopSourceHandler {
 public:
  void OnReadWaiting() override {
    char buf[64];
    while (read(g_pipe[0], buf, sizeof buf) > 0) {}
    m_request.Make();
  }
  void OnWriteWaiting() override {}
  void OnExceptionWaiting() override {}

 private:
  CloseRequest m_request;
};

}  // namespace

BOOL AfxCloseMainWindowAtSessionEnd() {
  if (g_pipe[0] >= 0) return TRUE;
  if (!AfxWinInit() || pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return FALSE;
  static SignalPipeReader reader;
  // Kept for the life of the process: deleting it would stop the watch.
  static wxEventLoopSource* source =
      wxEventLoopBase::AddSourceForFD(g_pipe[0], &reader, wxEVENT_SOURCE_INPUT);
  if (!source) return FALSE;
  struct sigaction sa = {};
  sa.sa_handler = OnSessionEndSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  return sigaction(SIGTERM, &sa, nullptr) == 0 && sigaction(SIGHUP, &sa, nullptr) == 0;
}
