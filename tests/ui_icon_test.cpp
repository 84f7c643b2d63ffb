// Where the minimised window draws its icon, and the icon's images.
#include <gtest/gtest.h>

#include "res/Resource.h"
#include "res/Resources.h"
#include "ui/IconPosition.h"

TEST(IconPosition, CentresRoundingHalfUpAndTruncatesTowardZero) {
  EXPECT_EQ(IconOrigin(37, 32), 3);
  EXPECT_EQ(IconOrigin(30, 32), 0);  // (30 - 32 + 1) / 2 is 0, not -1
  EXPECT_EQ(IconOrigin(32, 32), 0);
  EXPECT_EQ(IconOrigin(33, 32), 1);
  EXPECT_EQ(IconOrigin(20, 32), -5);
}

TEST(MainFrameIcon, ThreeSizesWithOpaqueMiddleAndClearCorners) {
  const IconResource& icon = MainFrameIcon();
  EXPECT_EQ(icon.id, static_cast<UINT>(IDR_MAINFRAME));
  ASSERT_EQ(icon.imageCount, 3u);
  int sizes[3] = {16, 32, 48};
  for (size_t i = 0; i < 3; ++i) {
    const IconImage& im = icon.images[i];
    ASSERT_EQ(im.size, sizes[i]);
    auto alpha = [&](int x, int y) { return im.argb[y * im.size + x] >> 24; };
    EXPECT_EQ(alpha(0, 0), 0u) << "rounded corner";
    EXPECT_EQ(alpha(im.size / 2, im.size / 2), 255u);
    // Not one flat colour: the sheet and the arrow stand out from the tile.
    uint32_t tile = im.argb[(im.size / 10) * im.size + im.size / 2 + im.size / 4] & 0xFFFFFF;
    uint32_t sheet = im.argb[(im.size / 2) * im.size + im.size / 4] & 0xFFFFFF;
    EXPECT_NE(tile, sheet);
  }
}
