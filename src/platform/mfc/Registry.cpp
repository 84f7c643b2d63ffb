// The resource table of the running program: templates and icons by id.
#include <map>

#include "platform/mfc/DialogTemplate.h"

namespace {
std::map<UINT, const DialogTemplate*>& dialogs() {
  static std::map<UINT, const DialogTemplate*> m;
  return m;
}
std::map<UINT, const IconResource*>& icons() {
  static std::map<UINT, const IconResource*> m;
  return m;
}
}  // namespace

void AfxRegisterDialogTemplate(const DialogTemplate* t) { dialogs()[t->id] = t; }

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
  auto it = dialogs().find(id);
  return it == dialogs().end() ? nullptr : it->second;
}

void AfxRegisterIcon(const IconResource* icon) { icons()[icon->id] = icon; }

HICON AfxFindIcon(UINT id) {
  auto it = icons().find(id);
  return it == icons().end() ? nullptr : it->second;
}
