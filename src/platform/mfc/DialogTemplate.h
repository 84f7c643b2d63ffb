// Resources as data: a dialog template (the rows of a control table), a dialog's
// initialisation data, and icon groups. The program's resources (src/res) are
// registered here by id, as a Windows module carries them; CDialog builds its window
// from the template of its id.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/mfc/Types.h"

// Window styles (Win32 values). A template row keeps its style word as Windows would.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;  // on a top-level window
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD ES_LEFT = 0x0;
constexpr DWORD ES_MULTILINE = 0x4;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_READONLY = 0x800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_RIGHT = 0x2;
constexpr DWORD CBS_DROPDOWNLIST = 0x3;
constexpr DWORD CBS_SORT = 0x100;
constexpr DWORD LVS_REPORT = 0x1;

// The window classes a template row can name.
enum class DlgClass { Button, Edit, Static, ComboBox, ListView };

// One row of the control table. Rectangles are in dialog units.
struct DlgItemTemplate {
  int id;            // -1 for IDC_STATIC
  DlgClass cls;
  const char* text;  // UTF-8, "\n" for a line break; empty when the control has none
  short x, y, cx, cy;
  DWORD style;       // WS_*, BS_*, ES_*, SS_*, CBS_*, LVS_* as the template holds them
  DWORD exStyle;     // WS_EX_*
};

// Dialog initialisation data: strings added to a combo box in this order.
struct DlgInitEntry {
  int id;
  const char* text;
};

struct DialogTemplate {
  UINT id;
  const char* caption;
  DWORD style;
  DWORD exStyle;
  const char* fontFace;  // the face fontconfig resolves
  int pointSize;
  short cx, cy;          // dialog units
  const DlgItemTemplate* items;  // template order = tab order
  size_t itemCount;
  const DlgInitEntry* init;
  size_t initCount;
};

// One image of an icon group: width x width pixels, 32-bit ARGB, row by row from the top.
struct IconImage {
  int size;
  const uint32_t* argb;
};
struct IconResource {
  UINT id;
  const IconImage* images;
  size_t imageCount;
};

// Registration by id (resources of the running program). Registering an id again
// replaces it; lookups of unknown ids return nullptr.
void AfxRegisterDialogTemplate(const DialogTemplate* t);
const DialogTemplate* AfxFindDialogTemplate(UINT id);
void AfxRegisterIcon(const IconResource* icon);
HICON AfxFindIcon(UINT id);
