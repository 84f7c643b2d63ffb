// A real key press for tests, through wx's input simulator (XTest under X11).
#include <wx/uiaction.h>

#include "platform/mfc/WinApp.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

BOOL AfxTypeKey(UINT vk) {
  if (!AfxWinInit()) return FALSE;
  int key = vk == VK_RETURN ? WXK_RETURN : vk == VK_ESCAPE ? WXK_ESCAPE : static_cast<int>(vk);
  wxUIActionSimulator sim;
  if (!sim.Char(key)) return FALSE;
  // The X server delivers asynchronously: serve until the press has come back.
  for (int i = 0; i < 20; ++i) AfxPumpMessages();
  return TRUE;
}
