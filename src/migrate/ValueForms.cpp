#include "migrate/ValueForms.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include "export/CsvValue.h"
#include "platform/com/OleDate.h"

namespace migrate {

bool IsoExtendedDate(const VARIANT& value, std::string* out) {
  if (value.vt != VT_BSTR) return false;
  out->clear();
  return AppendIsoExtendedDate(value.bstrVal, true, out);
}

std::string ExactDecimal(const VARIANT& value) {
  std::string text;
  VariantToText(value, &text);  // exact for both: up to 4 decimals / the full 96 bits
  return text;
}

bool RealKeepsDecimal(const std::string& exact, double* value) {
  const char* end = exact.data() + exact.size();
  if (std::from_chars(exact.data(), end, *value).ptr != end) return false;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, *value, std::chars_format::fixed);
  return std::string(buf, r.ptr) == exact;
}

std::string Base64(const uint8_t* p, size_t n) {
  static const char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((n + 2) / 3 * 4);
  for (size_t i = 0; i < n; i += 3) {
    const uint32_t v = static_cast<uint32_t>(p[i]) << 16 | (i + 1 < n ? p[i + 1] << 8 : 0) | (i + 2 < n ? p[i + 2] : 0);
    out += k[v >> 18 & 63];
    out += k[v >> 12 & 63];
    out += i + 1 < n ? k[v >> 6 & 63] : '=';
    out += i + 2 < n ? k[v & 63] : '=';
  }
  return out;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace migrate
