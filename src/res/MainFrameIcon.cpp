// The icon IDR_MAINFRAME, drawn here rather than stored: a table sheet on a blue
// tile with an arrow leading out of it (records going out to text). Each pixel is
// sampled 4 x 4 times, so the edges stay smooth at 16, 32 and 48 pixels.
#include <array>
#include <cmath>
#include <vector>

#include "res/Resource.h"
#include "res/Resources.h"

namespace {
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;  // premultiplied
};

Rgba Over(Rgba dst, double r, double g, double b, double a) {
  return Rgba{r * a + dst.r * (1 - a), g * a + dst.g * (1 - a), b * a + dst.b * (1 - a),
              a + dst.a * (1 - a)};
}

bool InRoundedSquare(double x, double y, double inset, double radius) {
  double lo = inset + radius, hi = 1 - inset - radius;
  double dx = x < lo ? lo - x : (x > hi ? x - hi : 0);
  double dy = y < lo ? lo - y : (y > hi ? y - hi : 0);
  return x >= inset && x <= 1 - inset && y >= inset && y <= 1 - inset &&
         dx * dx + dy * dy <= radius * radius;
}

// The picture at a point of the unit square.
Rgba Sample(double x, double y) {
  Rgba c;
  if (InRoundedSquare(x, y, 0.02, 0.16)) {
    double t = y;  // a light top fading to a deeper blue
    c = Over(c, 0.20 - 0.08 * t, 0.50 - 0.18 * t, 0.90 - 0.22 * t, 1.0);
  }
  // The table sheet: a header row and three record rows.
  const double l = 0.14, r = 0.62, top = 0.18, bottom = 0.82;
  if (x >= l && x <= r && y >= top && y <= bottom) {
    c = Over(c, 1, 1, 1, 1);
    double row = (y - top) / (bottom - top) * 4;
    if (row < 1) c = Over(c, 0.55, 0.75, 0.98, 1);
    bool rule = std::fabs(row - std::round(row)) * (bottom - top) / 4 < 0.025 && row > 0.5;
    bool column = std::fabs(x - (l + r) / 2) < 0.018;
    if (rule || column) c = Over(c, 0.35, 0.45, 0.60, 1);
  }
  // The arrow: a shaft and a head pointing right.
  const double cy = 0.58;
  bool shaft = x >= 0.46 && x <= 0.72 && std::fabs(y - cy) <= 0.07;
  bool head = x >= 0.70 && x <= 0.94 && std::fabs(y - cy) <= 0.20 * (0.94 - x) / 0.24;
  if (shaft || head) c = Over(c, 1.0, 0.62, 0.10, 1);
  return c;
}

std::vector<uint32_t> Render(int size) {
  std::vector<uint32_t> px(static_cast<size_t>(size * size));
  constexpr int kSub = 4;
  for (int py = 0; py < size; ++py)
    for (int pxl = 0; pxl < size; ++pxl) {
      Rgba sum;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx) {
          Rgba s = Sample((pxl + (sx + 0.5) / kSub) / size, (py + (sy + 0.5) / kSub) / size);
          sum.r += s.r; sum.g += s.g; sum.b += s.b; sum.a += s.a;
        }
      double n = kSub * kSub, a = sum.a / n;
      auto channel = [&](double v) {
        return static_cast<uint32_t>(a > 0 ? std::lround(255 * v / n / a) : 0) & 0xFF;
      };
      px[static_cast<size_t>(py * size + pxl)] = static_cast<uint32_t>(std::lround(255 * a)) << 24 |
                                                 channel(sum.r) << 16 | channel(sum.g) << 8 |
                                                 channel(sum.b);
    }
  return px;
}

struct Built {
  std::array<std::vector<uint32_t>, 3> pixels;
  std::array<IconImage, 3> images;
  IconResource icon;
  Built() {
    const int sizes[3] = {16, 32, 48};
    for (int i = 0; i < 3; ++i) {
      pixels[i] = Render(sizes[i]);
      images[i] = IconImage{sizes[i], pixels[i].data()};
    }
    icon = IconResource{IDR_MAINFRAME, images.data(), images.size()};
  }
};
}  // namespace

const IconResource& MainFrameIcon() {
  static const Built built;
  return built.icon;
}
