// Where a minimised window draws its icon: centred, rounding half a pixel up, and
// never left of or above the client area's origin for an area one pixel short of
// the icon (integer division truncates toward zero: (30 - 32 + 1) / 2 is 0).
#pragma once

constexpr int IconOrigin(int clientExtent, int iconExtent) {
  return (clientExtent - iconExtent + 1) / 2;
}
