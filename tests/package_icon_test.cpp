// The menu's icons, rendered from the project's SVG, show the picture the program draws
// (IDR_MAINFRAME): their smoothed edges differ by under 48 of 255, a misplaced shape more.
#include <gtest/gtest.h>
#include <wx/image.h>

#include "res/Resources.h"

TEST(MenuIcon, RenderedSizesMatchTheProgramsOwnIcon) {
  wxImage::AddHandler(new wxPNGHandler);
  const IconResource& icon = MainFrameIcon();
  for (const IconImage* own = icon.images; own != icon.images + icon.imageCount; ++own) {
    const int n = own->size;
    const std::string size = std::to_string(n) + "x" + std::to_string(n);
    wxImage png(KELVANE_BINARY_DIR "/packaging/icons/" + size + "/io.github.kelvane.Kelvane.png");
    ASSERT_TRUE(png.IsOk() && png.HasAlpha() && png.GetWidth() == n) << size;
    int far = 0;
    for (int i = 0; i < n * n; ++i) {
      const int a = own->argb[i] >> 24, b = png.GetAlpha()[i];
      int d = std::abs(a - b);
      for (int c = 0; c < 3; ++c) {
        const int mine = own->argb[i] >> (16 - 8 * c) & 0xFF, theirs = png.GetData()[3 * i + c];
        d = std::max(d, std::abs(mine * a - theirs * b) / 255);  // premultiplied
      }
      far += d > 48;
    }
    EXPECT_LE(far, n * n / 100) << "pixels unlike the program's own at " << size;
  }
}
