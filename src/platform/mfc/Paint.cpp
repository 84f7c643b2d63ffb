// Painting: the device context of a WM_PAINT handler and icon images as bitmaps.
#include <wx/dcclient.h>
#include <wx/image.h>

#include "platform/mfc/Dialog.h"
#include "platform/mfc/WxBridge.h"

wxBitmap AfxIconBitmap(HICON icon, int size) {
  if (!icon || icon->imageCount == 0) return wxBitmap();
  const IconImage* best = &icon->images[0];
  for (size_t i = 0; i < icon->imageCount; ++i) {
    const IconImage& im = icon->images[i];
    if (std::abs(im.size - size) < std::abs(best->size - size)) best = &im;
  }
  wxImage image(best->size, best->size);
  image.InitAlpha();
  for (int y = 0; y < best->size; ++y)
    for (int x = 0; x < best->size; ++x) {
      uint32_t p = best->argb[y * best->size + x];
      image.SetRGB(x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      image.SetAlpha(x, y, (p >> 24) & 0xFF);
    }
  return wxBitmap(image);
}

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
  }
}

struct CPaintDC::Impl {
  std::unique_ptr<wxDC> dc;
};

// Inside a paint event the context is the event's; elsewhere it draws on the client area.
CPaintDC::CPaintDC(CWnd* pWnd) : m_impl(std::make_unique<Impl>()) {
  wxWindow* w = pWnd ? pWnd->m_hWnd : nullptr;
  if (!w) return;
  auto* dlg = dynamic_cast<AfxDialogWindow*>(w);
  if (dlg && dlg->m_paintEvent)
    m_impl->dc = std::make_unique<wxPaintDC>(w);
  else
    m_impl->dc = std::make_unique<wxClientDC>(w);
}

CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
  if (!m_impl->dc || !hIcon) return FALSE;
  wxBitmap bmp = AfxIconBitmap(hIcon, GetSystemMetrics(SM_CXICON));
  if (!bmp.IsOk()) return FALSE;
  m_impl->dc->DrawBitmap(bmp, x, y, true);
  return TRUE;
}
