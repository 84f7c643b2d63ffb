// The one seam every modal box of the program passes: message boxes, the open and
// save file dialogs, the about box, the password box. Production shows the real wx dialog. A test
// installs a handler (tests/support/ModalScript.h) that answers each box and records
// what was asked, so no test ever waits on a box nobody can see.
#pragma once
#include <functional>
#include "platform/mfc/CString.h"
#include "platform/mfc/Types.h"

class CWnd;

struct ModalRequest {
  enum Kind { MessageBox, FileOpen, FileSave, About, Password };
  Kind kind = MessageBox;
  CWnd* owner = nullptr;  // the window that owns the box, or none
  // Message box, about box and password box; caption is also a file dialog's
  // title (empty: the toolkit's own).
  CString text;
  CString caption;
  CString note;           // password box: the line under its text (empty: none)
  UINT type = MB_OK;      // MB_* of a message box
  // File dialogs.
  CString fileName;       // the default file name
  CString defExt;         // the default extension, without the dot
  CString filter;         // the MFC filter string ("文本文件|*.txt|所有文件|*.*||")
  DWORD flags = 0;        // OFN_*
  CString initialDir;     // the folder it opens in (empty: the toolkit's choice)
};

struct ModalAnswer {
  int result = IDCANCEL;  // IDOK, IDCANCEL, IDYES, ... (file dialogs: IDOK or IDCANCEL)
  CString path;           // file dialogs: the chosen path, as the user typed or picked it
  CString password;       // password box (IDOK): what was typed in its masked entry
};

using ModalHandler = std::function<ModalAnswer(const ModalRequest&)>;

// Installs a handler for every box from now on; an empty handler restores the real
// dialogs. Returns the handler it replaces.
ModalHandler AfxSetModalHandler(ModalHandler handler);

// Runs one box: through the installed handler, else the real dialog. When no
// handler is installed and the environment holds KELVANE_MODAL_FORBIDDEN (every
// test has it, see tests/ui.cmake), the box is reported on stderr and the process
// aborts: a test fails at once instead of waiting for a click.
ModalAnswer AfxRunModal(const ModalRequest& request);

// The password box over the main window, titled with the program's name: `text`,
// then `note` under it (empty: none), a masked entry, OK and Cancel. IDOK with
// *password set to what was typed, or IDCANCEL.
int AfxPasswordBox(const CString& text, const CString& note, CString* password);

// Is a box of the seam open now (a real one waits for the user in its own loop)?
BOOL AfxIsModalBoxOpen();
// Closes the real box open now, if any, as its close box would: it is answered
// IDCANCEL. For the end of the session, which cannot wait for the user.
void AfxCloseOpenBox();
