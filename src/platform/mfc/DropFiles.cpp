// Files dropped onto a dialog: the toolkit's drop target stands for Windows' file
// drop, and hands the paths to the dialog's WM_DROPFILES handler.
#include <wx/dnd.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "platform/mfc/Dialog.h"
#include "platform/mfc/Modal.h"
#include "platform/mfc/WxBridge.h"

struct AfxDropFiles {
  std::vector<std::string> paths;
};

namespace {

// A drop is taken only while the dialog could take a click: not while a box is open
// (the box's handler waits for it) nor in modal state (a long operation runs).
bool TakesDrop(AfxDialogWindow* dlg) {
  return dlg && dlg->m_owner && dlg->m_modalState == 0 && !AfxIsModalBoxOpen();
}

class AfxFileDropTarget : public wxFileDropTarget {
 public:
  explicit AfxFileDropTarget(AfxDialogWindow* dlg) : m_dlg(dlg) {}

  // The pointer shows a refusal where the drop would be refused.
  wxDragResult OnDragOver(wxCoord, wxCoord, wxDragResult def) override {
    return TakesDrop(m_dlg) ? (def == wxDragNone ? wxDragNone : wxDragCopy) : wxDragNone;
  }

  // The toolkit has turned the file manager's URIs into paths. They are kept as the
  // file system's bytes, and handed over once the drop has ended: the handler may
  // open boxes, and the dragging program should not wait on them.
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
    if (!TakesDrop(m_dlg) || names.empty()) return false;
    AfxDropFiles files;
    for (const wxString& name : names) files.paths.emplace_back(name.fn_str());
    wxWeakRef<AfxDialogWindow> alive(m_dlg.get());
    m_dlg->CallAfter([alive, files] {
      AfxDropFiles drop = files;
      if (alive && TakesDrop(alive.get()))
        alive->m_owner->OnWndMsg(WM_DROPFILES, reinterpret_cast<WPARAM>(&drop), 0, nullptr);
    });
    return true;
  }

 private:
  wxWeakRef<AfxDialogWindow> m_dlg;
};

}  // namespace

// The dialog takes drops, and so does each of its edits: a GTK entry is a drop site of
// its own (for text), which would otherwise stand in the way of a file dropped on it.
// Windows' edits leave a file drop to the dialog that accepts files.
void CWnd::DragAcceptFiles(BOOL bAccept) {
  AfxDialogWindow* dlg = dynamic_cast<AfxDialogWindow*>(m_hWnd);
  if (!dlg) return;
  dlg->SetDropTarget(bAccept ? new AfxFileDropTarget(dlg) : nullptr);
  for (wxWindow* child : dlg->GetChildren())
    if (dynamic_cast<wxTextCtrl*>(child))
      child->SetDropTarget(bAccept ? new AfxFileDropTarget(dlg) : nullptr);
}

UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
  if (!hDrop) return 0;
  if (iFile == 0xFFFFFFFF) return static_cast<UINT>(hDrop->paths.size());
  if (iFile >= hDrop->paths.size()) return 0;
  const std::string& path = hDrop->paths[iFile];
  if (lpszFile && cch > 0) {
    size_t n = std::min<size_t>(path.size(), cch - 1);
    path.copy(lpszFile, n);
    lpszFile[n] = '\0';
    return static_cast<UINT>(n);
  }
  return static_cast<UINT>(path.size());
}

void DragFinish(HDROP) {}
