// The application object, opening the display, and the entry point.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/mfc/WinApp.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

namespace {
CWinApp* g_app = nullptr;

// The wx application the layer runs on; it parses no command line (the program reads
// its own before, and test runners pass their own options).
class AfxWxApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

std::string ExecutableName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("kelvane");
  std::string name = path.substr(path.find_last_of('/') + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
  ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) : m_pszAppName(lpszAppName) {
  if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  if (!wxTheApp) return ExitInstance();
  wxTheApp->OnRun();
  return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return AfxFindIcon(nIDResource); }

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
  static CWinApp fallback;  // registers itself only when the program has no app
  return g_app ? g_app : &fallback;
}

const char* AfxGetAppName() {
  static const std::string name = ExecutableName();
  CWinApp* app = g_app;
  return app && app->m_pszAppName ? app->m_pszAppName : name.c_str();
}

BOOL AfxWinInit() {
  static int state = 0;  // 0 not tried, 1 open, -1 no display
  if (state != 0) return state > 0;
  static std::string arg0 = ExecutableName();
  static char* argv[] = {arg0.data(), nullptr};
  static int argc = 1;
  wxApp::SetInstance(new AfxWxApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp || !wxTheApp->CallOnInit()) {
    state = -1;
    return FALSE;
  }
  wxTheApp->SetAppName(ToWx(AfxGetAppName()));
  wxInitAllImageHandlers();
  state = 1;
  return TRUE;
}

int AfxWinMain(int, char**) {
  if (!AfxWinInit()) {
    std::fprintf(stderr, "%s: cannot open the display (is DISPLAY set?)\n", AfxGetAppName());
    return 1;
  }
  AfxCloseMainWindowAtSessionEnd();
  CWinApp* app = AfxGetApp();
  int code = app->InitInstance() ? app->Run() : app->ExitInstance();
  return code;
}

void AfxEnableControlContainer() {}
BOOL Enable3dControls() { return TRUE; }

void AfxCallAfter(std::function<void()> fn) {
  if (AfxWinInit()) wxTheApp->CallAfter(std::move(fn));
}

void AfxPumpMessages() {
  if (!wxTheApp) return;
  wxTheApp->ProcessPendingEvents();
  wxTheApp->Yield(true);
  wxTheApp->ProcessPendingEvents();
  wxTheApp->ProcessIdle();
}
