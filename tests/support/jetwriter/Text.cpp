#include "support/jetwriter/Text.h"
#include <stdexcept>

namespace jetwriter {

static void Unit(std::vector<uint8_t>& out, uint32_t u) {
  out.push_back(uint8_t(u));
  out.push_back(uint8_t(u >> 8));
}

void AppendUtf16(const std::string& s, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < s.size();) {
    uint8_t b = uint8_t(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + size_t(extra) >= s.size())
      throw std::runtime_error("text is not UTF-8");
    uint32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      uint8_t t = uint8_t(s[i + k]);
      if ((t & 0xC0) != 0x80) throw std::runtime_error("text is not UTF-8");
      c = (c << 6) | (t & 0x3F);
    }
    i += size_t(extra) + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      Unit(out, 0xD800 + (c >> 10));
      Unit(out, 0xDC00 + (c & 0x3FF));
    } else {
      Unit(out, c);
    }
  }
}

void AppendCompressed(const std::string& utf8, std::vector<uint8_t>& out) {
  std::vector<uint8_t> plain;
  AppendUtf16(utf8, plain);
  std::vector<uint8_t> packed = {0xFF, 0xFE};
  bool oneByte = true;
  for (size_t i = 0; i < plain.size(); i += 2) {
    uint8_t lo = plain[i], hi = plain[i + 1];
    if (lo == 0) {  // cannot be told from the switch byte
      out.insert(out.end(), plain.begin(), plain.end());
      return;
    }
    if ((hi == 0) != oneByte) {
      packed.push_back(0x00);
      oneByte = !oneByte;
    }
    packed.push_back(lo);
    if (!oneByte) packed.push_back(hi);
  }
  const std::vector<uint8_t>& best = packed.size() < plain.size() ? packed : plain;
  out.insert(out.end(), best.begin(), best.end());
}

size_t Utf16Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char b : s) {
    if ((b & 0xC0) != 0x80) n += (b >= 0xF0) ? 2 : 1;
  }
  return n;
}

}  // namespace jetwriter
