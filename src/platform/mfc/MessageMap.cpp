#include "platform/mfc/MessageMap.h"

namespace {
// The part of a message that selects an entry: WM_COMMAND's code and id ride in wParam.
bool Matches(const AFX_MSGMAP_ENTRY& e, UINT message, UINT code, UINT id) {
  if (e.nMessage != message) return false;
  if (message != WM_COMMAND) return true;
  return e.nCode == code && e.nID == id;
}

const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
  for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e)
      if (Matches(*e, message, code, id)) return e;
    if (map->pfnGetBaseMap == nullptr) break;
  }
  return nullptr;
}
}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
  UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
  const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), message, code, id);
  if (!e) return FALSE;
  LRESULT r = e->pfn(this, wParam, lParam);
  if (pResult) *pResult = r;
  return TRUE;
}

BOOL CCmdTarget::HasHandler(UINT message, UINT code, UINT id) const {
  return FindEntry(GetMessageMap(), message, code, id) != nullptr;
}
