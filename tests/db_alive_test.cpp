// The window stays alive while an operation runs on the GUI thread: what the frame
// shows at the start is on screen before the work, the window manager's ping is
// answered while the work goes on, input made meanwhile reaches no handler, and a
// close request made meanwhile ends the dialog only after the operation.
#include <dlfcn.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <chrono>
#include <filesystem>

#include "support/DbDialog.h"
#include "support/DbFixture.h"

// Last, and without the macros that clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Bool
#undef Status

namespace {

const CExportDlg::DbOperation kOp = {"开始", "成功", "失败", IDC_BTN_PREVIEW, true};

// Work that opens a recordset (the frame closes one) around the test's own steps.
std::function<void(_ConnectionPtr&, _RecordsetPtr&)> Work(std::function<void()> steps) {
  return [steps](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    rs = conn->OpenSchema(ADODB::adSchemaTables);
    steps();
  };
}

// The X window of a top-level window (wx gives its GTK widget; GTK is loaded with it).
Window XidOf(wxWindow* w) {
  auto window = reinterpret_cast<void* (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  auto xid = reinterpret_cast<unsigned long (*)(void*)>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
  return window && xid ? xid(window(w->GetHandle())) : 0;
}

// A window manager of the test's own: sends a window the WM_PROTOCOLS messages a
// window manager sends (the ping, the close box) and watches for the ping's answer.
class FakeWindowManager {
 public:
  FakeWindowManager() : m_d(XOpenDisplay(nullptr)) {
    if (m_d) XSelectInput(m_d, DefaultRootWindow(m_d), SubstructureNotifyMask);
  }
  ~FakeWindowManager() { if (m_d) XCloseDisplay(m_d); }
  void Send(Window w, const char* protocol, long stamp) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(m_d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(m_d, protocol, False));
    e.xclient.data.l[1] = stamp;
    e.xclient.data.l[2] = static_cast<long>(w);
    XSendEvent(m_d, w, False, NoEventMask, &e);
    XFlush(m_d);
  }
  // Has the window answered the ping with this stamp (on the root window)?
  bool Answered(long stamp) {
    XEvent e;
    while (XCheckTypedEvent(m_d, ClientMessage, &e))
      if (e.xclient.data.l[0] == static_cast<long>(XInternAtom(m_d, "_NET_WM_PING", False)) &&
          e.xclient.data.l[1] == stamp)
        return true;
    return false;
  }
  // What the screen shows of a control now, as the X server holds it.
  std::string ScreenOf(CWnd* c) {
    wxRect r = c->m_hWnd->GetScreenRect();
    XImage* im = XGetImage(m_d, DefaultRootWindow(m_d), r.x, r.y, static_cast<unsigned>(r.width),
                           static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
    if (!im) return {};
    std::string rgb;  // the colours only: the padding byte of a pixel is not drawn
    for (int y = 0; y < im->height; ++y)
      for (int x = 0; x < im->width; ++x) {
        unsigned long p = XGetPixel(im, x, y);
        rgb += {char(p >> 16), char(p >> 8), char(p)};
      }
    XDestroyImage(im);
    return rgb;
  }
  Display* m_d;
};

// Calls the records hook as a long export does until `done` says so (or ten
// seconds pass, so that a broken frame fails instead of hanging).
void RunRecords(CExportDlg& d, const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (long n = 1; !done() && std::chrono::steady_clock::now() < end; ++n) {
    d.OnRecordsDone(n);
    if (n % 64 == 0) usleep(1000);
  }
}

// Serves the records hook for the next half second: several rounds of the frame's
// serving, in which events that arrived are dispatched or dropped.
void ServeAWhile(CExportDlg& d) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  RunRecords(d, [&] { return std::chrono::steady_clock::now() >= end; });
}

class AliveTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    m_fixture = m_dir + "/fixture.mdb";
    WriteDbFixture(m_fixture);
    dlg->m_strMdbFile = m_fixture.c_str();
    for (int i = 0; i < 20; ++i) AfxPumpMessages();  // mapped and drawn
  }
  std::string m_fixture;
};

TEST_F(AliveTest, StartTextIsOnScreenBeforeTheWork) {
  FakeWindowManager x;
  ASSERT_NE(x.m_d, nullptr);
  CWnd* status = dlg->GetDlgItem(IDC_STATIC_STATUS);
  const std::string before = x.ScreenOf(status);
  std::string atWork;
  ASSERT_TRUE(dlg->RunDbOperation(kOp, Work([&] { atWork = x.ScreenOf(status); })));
  // The same text, drawn at leisure, is what the screen showed.
  dlg->SetDlgItemText(IDC_STATIC_STATUS, "开始");
  for (int i = 0; i < 20; ++i) AfxPumpMessages();
  EXPECT_NE(atWork, before);
  EXPECT_EQ(atWork, x.ScreenOf(status));
}

TEST_F(AliveTest, PingIsAnsweredAndTheCountShownWhileTheWorkRuns) {
  FakeWindowManager wm;
  ASSERT_NE(wm.m_d, nullptr);
  Window xid = XidOf(dlg->m_hWnd);
  ASSERT_NE(xid, 0u);
  bool answered = false;
  CString midRun;
  ASSERT_TRUE(dlg->RunDbOperation(kOp, Work([&] {
    wm.Send(xid, "_NET_WM_PING", 4242);
    RunRecords(*dlg, [&] { return answered = wm.Answered(4242); });
    RunRecords(*dlg, [&] { return (midRun = dlg->Status()) != "开始"; });
  })));
  EXPECT_TRUE(answered);
  EXPECT_EQ(midRun.Left(7).str(), "开始 ");
  EXPECT_GT(atol(midRun.Mid(7)), 0);
  EXPECT_EQ(dlg->Status(), "成功");
}

TEST_F(AliveTest, InputDuringTheWorkReachesNoHandler) {
  // A click on "关于" would open the about box, which no script answers here; keys
  // typed into the focused edit would change its text.
  CWnd* edit = dlg->GetDlgItem(IDC_EDIT_TXTFILE);
  edit->SetFocus();
  AfxPumpMessages();
  ASSERT_TRUE(dlg->RunDbOperation(kOp, Work([&] {
    wxUIActionSimulator sim;
    sim.MouseMove(dlg->GetDlgItem(IDC_BTN_ABOUT)->m_hWnd->GetScreenRect().GetPosition() + wxPoint(5, 5));
    sim.MouseClick();
    sim.Char('x');
    sim.Char(WXK_RETURN);
    ServeAWhile(*dlg);
  })));
  for (int i = 0; i < 20; ++i) AfxPumpMessages();
  EXPECT_EQ(dlg->Text(IDC_EDIT_TXTFILE), "");
  EXPECT_EQ(dlg->GetEndResult(), -1);
}

// Esc and the close box, each made while the work runs: the dialog ends with
// IDCANCEL through WM_DESTROY (which saves the settings), but only once the
// operation has ended with its own final text.
TEST_F(AliveTest, CloseRequestDuringTheWorkEndsTheDialogAfterIt) {
  const std::string store = m_dir + "/config/kelvane/kelvane.ini";
  for (bool closeBox : {false, true}) {
    std::filesystem::remove(store);
    CExportDlg modal;
    int resultAtWork = 0, resultAfterRun = 0;
    CString statusAfterRun;
    AfxCallAfter([&] {
      modal.m_strMdbFile = m_fixture.c_str();
      // As after a click on it: the operation's button has the focus, and loses it.
      modal.GetDlgItem(IDC_BTN_PREVIEW)->SetFocus();
      AfxPumpMessages();
      modal.RunDbOperation(kOp, Work([&] {
        if (closeBox)
          FakeWindowManager().Send(XidOf(modal.m_hWnd), "WM_DELETE_WINDOW", 0);
        else
          AfxTypeKey(VK_ESCAPE);
        ServeAWhile(modal);
        resultAtWork = modal.GetEndResult();
      }));
      resultAfterRun = modal.GetEndResult();
      modal.GetDlgItemText(IDC_STATIC_STATUS, statusAfterRun);
      // A lost request would leave the dialog running: it is ended with -2.
      AfxCallAfter([&] { AfxCallAfter([&] { if (modal.GetEndResult() == -1) modal.EndDialog(-2); }); });
    });
    EXPECT_EQ(modal.DoModal(), IDCANCEL) << closeBox;
    AfxPumpMessages();  // the guard above, before `modal` goes
    EXPECT_EQ(resultAtWork, -1) << closeBox;
    EXPECT_EQ(resultAfterRun, -1) << closeBox;
    EXPECT_EQ(statusAfterRun, "成功") << closeBox;
    EXPECT_TRUE(std::filesystem::exists(store)) << closeBox;
  }
}

}  // namespace
