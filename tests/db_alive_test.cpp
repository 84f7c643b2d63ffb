// The window stays alive while an operation runs on the GUI thread: the start text is
// on screen before the work, the window manager's ping is answered and the count
// shown while it goes on, input made meanwhile reaches no handler, and a close
// request made meanwhile ends the dialog only once the operation has ended.
#include <dlfcn.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "support/DbDialog.h"
#include "support/DbFixture.h"

#include <X11/Xlib.h>  // last: its macros clash with names above
#include <X11/Xutil.h>
#undef Status

namespace {

const CExportDlg::DbOperation kOp = {"开始", "成功", "失败", IDC_BTN_PREVIEW, true};

// A window manager of the test's own, on a connection of its own: it sends the
// dialog WM_PROTOCOLS messages (ping, close box) and reads the screen.
struct FakeWm {
  Display* d = XOpenDisplay(nullptr);
  FakeWm() { XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask); }
  ~FakeWm() { XCloseDisplay(d); }
  void Send(CWnd& w, const char* protocol) {
    auto gtkWindow = reinterpret_cast<void* (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    auto xid = reinterpret_cast<Window (*)(void*)>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
    XEvent e{.xclient = {ClientMessage, 0, 0, d, xid(gtkWindow(w.m_hWnd->GetHandle())),
                         XInternAtom(d, "WM_PROTOCOLS", 0), 32, {}}};
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, protocol, 0));
    e.xclient.data.l[1] = 4242;
    XSendEvent(d, e.xclient.window, 0, NoEventMask, &e);
    XFlush(d);
  }
  bool PingAnswered() {  // the answer comes back on the root window
    XEvent e;
    while (XCheckTypedEvent(d, ClientMessage, &e))
      if (e.xclient.data.l[1] == 4242) return true;
    return false;
  }
  std::string Pixels(CWnd* c) {  // the colour planes only: padding bits read as 0
    wxRect r = c->m_hWnd->GetScreenRect();
    XImage* im = XGetImage(d, DefaultRootWindow(d), r.x, r.y, r.width, r.height, 0xFFFFFF, ZPixmap);
    std::string bytes(im->data, static_cast<size_t>(im->bytes_per_line * im->height));
    XDestroyImage(im);
    return bytes;
  }
};

// Calls the records hook as a long export does until `done` (at most ten seconds).
void Records(CExportDlg& d, const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (long n = 1; !done() && std::chrono::steady_clock::now() < end; ++n) {
    d.OnRecordsDone(n);
    if (n % 64 == 0) usleep(1000);
  }
}

class AliveTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    WriteDbFixture(m_dir + "/f.mdb");
    for (int i = 0; i < 20; ++i) AfxPumpMessages();  // mapped and drawn
  }
};

TEST_F(AliveTest, StartTextIsDrawnFirstThenPingsAnsweredAndTheCountShown) {
  FakeWm wm;
  CWnd* status = dlg->GetDlgItem(IDC_STATIC_STATUS);
  const std::string before = wm.Pixels(status);
  std::string atStart;
  bool answered = false;
  CString counted;
  dlg->m_strMdbFile = (m_dir + "/f.mdb").c_str();
  ASSERT_TRUE(dlg->RunDbOperation(kOp, [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    rs = conn->OpenSchema(ADODB::adSchemaTables);  // the frame closes one
    atStart = wm.Pixels(status);
    wm.Send(*dlg, "_NET_WM_PING");
    Records(*dlg, [&] { return answered = wm.PingAnswered(); });
    Records(*dlg, [&] { return (counted = dlg->Status()) != "开始"; });
  }));
  EXPECT_TRUE(answered);
  // The count with its unit, its digits grouped by threes ("开始 12,345 条记录").
  EXPECT_TRUE(std::regex_match(counted.str(), std::regex("开始 [1-9][0-9]{0,2}(,[0-9]{3})* 条记录")))
      << counted.str();
  // The start text, drawn at leisure, is what the screen showed before the work.
  dlg->SetDlgItemText(IDC_STATIC_STATUS, "开始");
  for (int i = 0; i < 20; ++i, usleep(5000)) AfxPumpMessages();  // a few frames
  EXPECT_TRUE(atStart != before);
  EXPECT_TRUE(atStart == wm.Pixels(status));
}

// A click on "关于" (its box has no script here) and Enter reach nothing; Esc or the
// close box, made meanwhile, end the dialog with IDCANCEL through WM_DESTROY (which
// saves the settings), once the operation has shown its end.
TEST_F(AliveTest, InputReachesNoHandlerAndACloseRequestWaitsForTheEnd) {
  const std::string store = m_dir + "/config/kelvane/kelvane.ini";
  for (bool closeBox : {false, true}) {
    std::filesystem::remove(store);
    CExportDlg modal;
    int endedAfterRun = 0;
    CString statusAfterRun;
    AfxCallAfter([&] {
      modal.m_strMdbFile = (m_dir + "/f.mdb").c_str();
      modal.GetDlgItem(IDC_BTN_PREVIEW)->SetFocus();  // as clicked: it loses the focus
      AfxPumpMessages();
      modal.RunDbOperation(kOp, [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
        rs = conn->OpenSchema(ADODB::adSchemaTables);
        wxUIActionSimulator sim;
        sim.MouseMove(modal.GetDlgItem(IDC_BTN_ABOUT)->m_hWnd->GetScreenRect().GetPosition() + wxPoint(5, 5));
        sim.MouseClick();
        sim.Char(WXK_RETURN);  // would end the dialog with IDOK
        if (closeBox) FakeWm().Send(modal, "WM_DELETE_WINDOW");
        else sim.Char(WXK_ESCAPE);
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        Records(modal, [&] { return std::chrono::steady_clock::now() >= end; });
      });
      endedAfterRun = modal.GetEndResult();
      modal.GetDlgItemText(IDC_STATIC_STATUS, statusAfterRun);
      // A lost request would leave the dialog running: it is ended with -2.
      AfxCallAfter([&] { AfxCallAfter([&] { if (modal.GetEndResult() == -1) modal.EndDialog(-2); }); });
    });
    EXPECT_EQ(modal.DoModal(), IDCANCEL) << closeBox;
    AfxPumpMessages();  // the guard above, before `modal` goes
    EXPECT_EQ(endedAfterRun, -1);
    EXPECT_EQ(statusAfterRun, "成功");
    EXPECT_TRUE(std::filesystem::exists(store)) << closeBox;
  }
}

}  // namespace
