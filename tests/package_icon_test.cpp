// The menu's icons, rendered at build time from the project's SVG drawing, show the
// same picture as the icon the program draws for its window (IDR_MAINFRAME).
#include <gtest/gtest.h>
#include <wx/image.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "res/Resources.h"

TEST(MenuIcon, RenderedSizesMatchTheProgramsOwnIcon) {
  wxImage::AddHandler(new wxPNGHandler);
  const IconResource& icon = MainFrameIcon();
  for (const IconImage* own = icon.images; own != icon.images + icon.imageCount; ++own) {
    const int n = own->size;
    const std::string size = std::to_string(n) + "x" + std::to_string(n);
    wxImage png(std::string(KELVANE_BINARY_DIR) + "/packaging/icons/" + size +
                "/io.github.kelvane.Kelvane.png");
    ASSERT_TRUE(png.IsOk() && png.HasAlpha() && png.GetWidth() == n) << size;
    // The two smooth edges differently (4 x 4 samples against exact coverage), by less
    // than 48 of 255; a shape out of place or a wrong colour is a patch beyond that.
    // Colours are compared premultiplied, as they show on a backdrop.
    int far = 0;
    for (int i = 0; i < n * n; ++i) {
      const uint32_t p = own->argb[i];
      const int a = p >> 24, b = png.GetAlpha()[i];
      int d = std::abs(a - b);
      for (int c = 0; c < 3; ++c)
        d = std::max(d, std::abs(int(p >> (16 - 8 * c) & 0xFF) * a - png.GetData()[3 * i + c] * b) /
                            255);
      far += d > 48;
    }
    EXPECT_LE(far, n * n / 100) << "pixels unlike the program's icon at " << size;
  }
}
