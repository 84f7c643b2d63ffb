// The modal seam: one road for every box, and the real wx dialogs behind it.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/mfc/Modal.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

#include <wx/generic/msgdlgg.h>

namespace {
// Xlib's XTextProperty, laid out as <X11/Xutil.h> has it (the layer does not build
// against Xlib's headers; it calls the library the toolkit loaded).
struct XTextPropertyLike {
  unsigned char* value;
  unsigned long encoding;  // an Atom
  int format;
  unsigned long nitems;
};

ModalHandler& Handler() {
  static ModalHandler h;
  return h;
}

wxWindow* OwnerWindow(CWnd* owner) { return owner ? owner->m_hWnd : nullptr; }

// A box's text holds Windows line breaks; GTK wants "\n".
wxString BoxText(const CString& s) {
  wxString t = ToWx(s);
  t.Replace("\r\n", "\n");
  return t;
}

long MessageBoxStyle(UINT type) {
  long style = 0;
  switch (type & 0xF) {
    case MB_OKCANCEL: style = wxOK | wxCANCEL; break;
    case MB_YESNO: style = wxYES_NO; break;
    default: style = wxOK; break;
  }
  switch (type & 0xF0) {
    case MB_ICONERROR: style |= wxICON_ERROR; break;
    case MB_ICONQUESTION: style |= wxICON_QUESTION; break;
    case MB_ICONEXCLAMATION: style |= wxICON_EXCLAMATION; break;
    case MB_ICONINFORMATION: style |= wxICON_INFORMATION; break;
    default: style |= wxICON_NONE; break;
  }
  return style;
}

int ResultOf(int wxId) {
  switch (wxId) {
    case wxID_OK: return IDOK;
    case wxID_YES: return IDYES;
    case wxID_NO: return IDNO;
    default: return IDCANCEL;
  }
}

// One pattern of a filter, matching whatever the case of the name's letters, as
// Windows' filters do: "*.mdb" also becomes "*.[mM][dD][bB]", so Upper.MDB shows.
// The plain pattern stays first: the toolkit takes a save dialog's extension from
// the first pattern of the chosen filter.
wxString CaseFreePattern(const wxString& pattern) {
  wxString folded;
  bool letters = false;
  for (wxUniChar c : pattern) {
    if (c.IsAscii() && wxIsalpha(static_cast<char>(c))) {
      folded << '[' << wxString(c).Lower() << wxString(c).Upper() << ']';
      letters = true;
    } else {
      folded << c;
    }
  }
  return letters ? pattern + ";" + folded : pattern;
}

// "name|pattern;pattern|name|pattern||" as wx wants it: no empty trailing entries,
// and every pattern free of case. The one place a filter becomes the toolkit's.
wxString Wildcard(const CString& filter) {
  wxString w = ToWx(filter);
  while (w.EndsWith("|")) w.RemoveLast();
  wxArrayString parts = wxSplit(w, '|', '\0');
  for (size_t i = 1; i < parts.size(); i += 2) {
    wxArrayString patterns = wxSplit(parts[i], ';', '\0');
    for (wxString& p : patterns) p = CaseFreePattern(p);
    parts[i] = wxJoin(patterns, ';', '\0');
  }
  return wxJoin(parts, '|', '\0');
}

// The real box on screen now (the innermost one), for AfxCloseOpenBox.
wxDialog* g_shownBox = nullptr;

// A window's title for programs that read the X title (WM_NAME) rather than its
// UTF-8 form: GDK writes it there through the locale's character set, and under
// C/POSIX (ASCII) a Chinese title such as 打开 has no form in it, so GDK leaves it
// unset. Here it is written from the program's own UTF-8, as compound text, which
// holds any script whatever the locale. GTK and Xlib are reached through the
// symbols the toolkit already loaded.
void WriteXTitle(wxDialog& box) {
  using WidgetWindowFn = void* (*)(void*);
  using TitleFn = const char* (*)(void*);
  using XidFn = unsigned long (*)(void*);
  using ListToPropertyFn = int (*)(void*, char**, int, int, XTextPropertyLike*);
  using SetNameFn = void (*)(void*, unsigned long, XTextPropertyLike*);
  using FreeFn = int (*)(void*);
  static auto widgetWindow = reinterpret_cast<WidgetWindowFn>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static auto gtkTitle = reinterpret_cast<TitleFn>(dlsym(RTLD_DEFAULT, "gtk_window_get_title"));
  static auto xid = reinterpret_cast<XidFn>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
  static auto toProperty =
      reinterpret_cast<ListToPropertyFn>(dlsym(RTLD_DEFAULT, "Xutf8TextListToTextProperty"));
  static auto setName = reinterpret_cast<SetNameFn>(dlsym(RTLD_DEFAULT, "XSetWMName"));
  static auto xfree = reinterpret_cast<FreeFn>(dlsym(RTLD_DEFAULT, "XFree"));
  void* display = wxGetX11Display();
  if (!widgetWindow || !gtkTitle || !xid || !toProperty || !setName || !xfree || !display || !box.GetHandle())
    return;
  // The title GTK holds: a file dialog's is its message, not wx's own title.
  void* gdkWindow = widgetWindow(box.GetHandle());
  const char* held = gtkTitle(box.GetHandle());
  if (!gdkWindow || !held) return;
  std::string title = held;
  char* list[] = {title.data()};
  XTextPropertyLike property{};
  constexpr int kStdIccTextStyle = 3;  // XStdICCTextStyle: STRING, or COMPOUND_TEXT
  if (toProperty(display, list, 1, kStdIccTextStyle, &property) < 0 || !property.value) return;
  setName(display, xid(gdkWindow), &property);
  xfree(property.value);
}

int ShowModalBox(wxDialog& box) {
  // Once the box is realized, in its own loop.
  box.CallAfter([&box] { WriteXTitle(box); });
  wxDialog* outer = g_shownBox;
  g_shownBox = &box;
  const int result = box.ShowModal();
  g_shownBox = outer;
  return result;
}

ModalAnswer ShowReal(const ModalRequest& r) {
  ModalAnswer a;
  if (!AfxWinInit()) return a;
  wxWindow* parent = OwnerWindow(r.owner);
  switch (r.kind) {
    case ModalRequest::MessageBox: {
      // GTK 3's message box shows no icon whatever its kind; a box that asks for one
      // (the exclamation mark of the database error box) is drawn by wx itself.
      if (r.type & 0xF0) {
        wxGenericMessageDialog box(parent, BoxText(r.text), ToWx(r.caption), MessageBoxStyle(r.type));
        a.result = ResultOf(ShowModalBox(box));
      } else {
        wxMessageDialog box(parent, BoxText(r.text), ToWx(r.caption), MessageBoxStyle(r.type));
        a.result = ResultOf(ShowModalBox(box));
      }
      break;
    }
    case ModalRequest::About: {
      wxMessageDialog box(parent, BoxText(r.text), ToWx(r.caption), wxOK | wxICON_INFORMATION);
      a.result = ResultOf(ShowModalBox(box));
      break;
    }
    case ModalRequest::Password: {
      // The note (a wrong password) sits under the text, in the box's own message.
      const wxString message = r.note.IsEmpty() ? BoxText(r.text) : BoxText(r.text) + "\n\n" + BoxText(r.note);
      wxPasswordEntryDialog box(parent, message, ToWx(r.caption));
      a.result = ResultOf(ShowModalBox(box));
      if (a.result == IDOK) a.password = FromWx(box.GetValue());
      box.SetValue(wxString());
      break;
    }
    case ModalRequest::FileOpen:
    case ModalRequest::FileSave: {
      std::unique_ptr<wxFileDialog> dlg(AfxNewFileDialog(r));
      a.result = ResultOf(ShowModalBox(*dlg));
      if (a.result == IDOK) a.path = FromWx(dlg->GetPath());
      break;
    }
  }
  return a;
}

const char* KindName(ModalRequest::Kind k) {
  switch (k) {
    case ModalRequest::MessageBox: return "message box";
    case ModalRequest::FileOpen: return "open file dialog";
    case ModalRequest::FileSave: return "save file dialog";
    case ModalRequest::Password: return "password box";
    default: return "about box";
  }
}
}  // namespace

wxFileDialog* AfxNewFileDialog(const ModalRequest& r) {
  long style = r.kind == ModalRequest::FileOpen ? wxFD_OPEN : wxFD_SAVE;
  if (r.flags & OFN_FILEMUSTEXIST) style |= wxFD_FILE_MUST_EXIST;
  // OFN_OVERWRITEPROMPT is answered by CFileDialog itself, for every name alike:
  // GTK's own question would come only for a name typed whole, in other words.
  const wxString title = r.caption.IsEmpty() ? wxString(wxFileSelectorPromptStr) : ToWx(r.caption);
  return new wxFileDialog(OwnerWindow(r.owner), title, ToWx(r.initialDir), ToWx(r.fileName),
                          Wildcard(r.filter), style);
}

ModalHandler AfxSetModalHandler(ModalHandler handler) {
  ModalHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

namespace {
int g_boxesOpen = 0;
}  // namespace

BOOL AfxIsModalBoxOpen() { return g_boxesOpen > 0; }

void AfxCloseOpenBox() {
  // GTK runs a message box in a loop of its own, which wx cannot end; the window's
  // close request (GTK's gtk_window_close, as the close box makes it) ends any box.
  // GTK is reached through the symbols the toolkit already loaded.
  using CloseFn = void (*)(void*);
  static auto close = reinterpret_cast<CloseFn>(dlsym(RTLD_DEFAULT, "gtk_window_close"));
  if (g_shownBox && close && g_shownBox->GetHandle()) close(g_shownBox->GetHandle());
}

ModalAnswer AfxRunModal(const ModalRequest& request) {
  struct Open {
    Open() { ++g_boxesOpen; }
    ~Open() { --g_boxesOpen; }
  } open;
  if (Handler()) return Handler()(request);
  if (std::getenv("KELVANE_MODAL_FORBIDDEN")) {
    // A test that shows a box it did not script must fail, not wait for a click.
    std::fprintf(stderr, "unscripted %s (caption \"%s\"): \"%s\"\n", KindName(request.kind),
                 request.caption.GetString(), request.text.GetString());
    std::abort();
  }
  return ShowReal(request);
}

int AfxPasswordBox(const CString& text, const CString& note, CString* password) {
  ModalRequest r;
  r.kind = ModalRequest::Password;
  r.owner = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
  r.text = text;
  r.note = note;
  r.caption = AfxGetAppName();
  ModalAnswer a = AfxRunModal(r);
  if (a.result == IDOK) *password = a.password;
  a.password.Empty();
  return a.result;
}
