// The application object and the entry point around it. The one CWinApp-derived
// global (theApp) registers itself; main() calls AfxWinMain, which opens the display,
// calls InitInstance and, when that returns TRUE, serves events until the main
// window closes.
#pragma once
#include <functional>

#include "platform/mfc/Wnd.h"

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(const char* lpszAppName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  HICON LoadIcon(UINT nIDResource) const;  // a registered icon (DialogTemplate.h)
  void OnHelp();                           // no help file: does nothing

  CWnd* m_pMainWnd = nullptr;
  const char* m_pszAppName = nullptr;      // the executable's name when none is given

  DECLARE_MESSAGE_MAP()
};

// The application object, or one of the layer's own when the program has none (tests).
CWinApp* AfxGetApp();
// The executable's file name without folder and extension.
const char* AfxGetAppName();
// Opens the display once (idempotent); FALSE when there is none.
BOOL AfxWinInit();
// The entry point: returns the process exit code (1 when no display can be opened).
int AfxWinMain(int argc, char** argv);

// From now on SIGTERM and SIGHUP (the session's end, a closed terminal) are a close
// request to the main window, as its close box makes one; AfxWinMain makes it so.
BOOL AfxCloseMainWindowAtSessionEnd();

// The Win32-era start-up calls: nothing to do on this platform.
void AfxEnableControlContainer();
BOOL Enable3dControls();

// Runs fn from the event loop once the current handler has returned, as a posted
// message would (tests use it to act inside DoModal).
void AfxCallAfter(std::function<void()> fn);

// Presses and releases a key through the X server (XTest), to the window that has
// the keyboard focus, then serves the events it caused: for tests that check what
// the toolkit itself does with a key. VK_RETURN, VK_ESCAPE, or a printable ASCII
// character. FALSE when the key could not be sent.
BOOL AfxTypeKey(UINT vk);

// Serves the pending events and idle handlers once, without waiting (tests use it
// to let a shown window settle).
void AfxPumpMessages();
