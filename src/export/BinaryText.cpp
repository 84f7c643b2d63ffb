#include "export/BinaryText.h"

void AppendBase64(const std::vector<uint8_t>& bytes, std::string* out) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const size_t n = bytes.size();
  const size_t start = out->size();
  out->resize(start + (n + 2) / 3 * 4);
  char* p = out->data() + start;
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    *p++ = kDigits[v >> 18];
    *p++ = kDigits[(v >> 12) & 63];
    *p++ = kDigits[(v >> 6) & 63];
    *p++ = kDigits[v & 63];
  }
  if (i < n) {
    const uint32_t v = (uint32_t{bytes[i]} << 16) | (i + 1 < n ? uint32_t{bytes[i + 1]} << 8 : 0);
    *p++ = kDigits[v >> 18];
    *p++ = kDigits[(v >> 12) & 63];
    *p++ = i + 1 < n ? kDigits[(v >> 6) & 63] : '=';
    *p++ = '=';
  }
}

void AppendHex(const std::vector<uint8_t>& bytes, std::string* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out->reserve(out->size() + bytes.size() * 2);
  for (uint8_t b : bytes) {
    out->push_back(kDigits[b >> 4]);
    out->push_back(kDigits[b & 15]);
  }
}
