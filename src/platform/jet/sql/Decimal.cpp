#include "platform/jet/sql/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace jet {

namespace {

using U128 = unsigned __int128;
const U128 kMax96 = (static_cast<U128>(1) << 96) - 1;

U128 Mantissa(const DECIMAL& d) { return (static_cast<U128>(d.hi32) << 64) | d.lo64; }
void SetMantissa(DECIMAL* d, U128 m) {
  d->lo64 = static_cast<uint64_t>(m);
  d->hi32 = static_cast<uint32_t>(m >> 64);
}

}  // namespace

double DecimalToDouble(const DECIMAL& d) {
  // Through the decimal text, so the REAL is the one nearest the exact value.
  return std::strtod(DecimalText(d).c_str(), nullptr);
}

DECIMAL DecimalFromDouble(double d) {
  DECIMAL out;
  char buf[64];
  for (int prec = 15; prec <= 17; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*e", prec - 1, d);
    if (std::strtod(buf, nullptr) == d) break;
  }
  std::string s = buf;  // [-]d.ddddde[+-]xx
  out.negative = s[0] == '-';
  if (out.negative) s.erase(0, 1);
  size_t e = s.find('e');
  int exp = std::atoi(s.c_str() + e + 1);
  std::string digits;
  for (size_t i = 0; i < e; ++i)
    if (s[i] != '.') digits += s[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int shift = exp - static_cast<int>(digits.size() - 1);  // value = digits * 10^shift
  if (shift > 0) { digits.append(static_cast<size_t>(shift), '0'); shift = 0; }
  int scale = -shift;
  if (scale > 28) {
    size_t drop = static_cast<size_t>(scale - 28);
    digits = drop >= digits.size() ? "0" : digits.substr(0, digits.size() - drop);
    scale = 28;
  }
  U128 m = 0;
  for (char c : digits) {
    if (m > kMax96 / 10) return out;  // beyond Decimal's range: zero
    m = m * 10 + static_cast<unsigned>(c - '0');
  }
  out.scale = static_cast<uint8_t>(scale);
  SetMantissa(&out, m);
  if (m == 0) out.negative = false;
  return out;
}

DECIMAL Rescaled(const DECIMAL& d, uint8_t scale) {
  if (scale <= d.scale || scale > 28) return d;
  U128 m = Mantissa(d);
  for (int s = d.scale; s < scale; ++s) {
    if (m > kMax96 / 10) return d;
    m *= 10;
  }
  DECIMAL out = d;
  out.scale = scale;
  SetMantissa(&out, m);
  return out;
}

bool SameDecimal(const DECIMAL& a, const DECIMAL& b) {
  return a.scale == b.scale && a.negative == b.negative && a.hi32 == b.hi32 && a.lo64 == b.lo64;
}

std::string DecimalText(const DECIMAL& d) {
  U128 m = Mantissa(d);
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m);
  while (digits.size() <= d.scale) digits.insert(digits.begin(), '0');
  if (d.scale) digits.insert(digits.end() - d.scale, '.');
  return (d.negative && Mantissa(d) != 0 ? "-" : "") + digits;
}

bool ParseDecimal(const char* text, DECIMAL* out) {
  DECIMAL d;
  const char* p = text;
  if (*p == '-') { d.negative = true; ++p; }
  U128 m = 0;
  bool point = false, any = false;
  int scale = 0;
  for (; *p; ++p) {
    if (*p == '.' && !point) { point = true; continue; }
    if (*p < '0' || *p > '9') return false;
    if (m > kMax96 / 10) return false;
    m = m * 10 + static_cast<unsigned>(*p - '0');
    any = true;
    if (point) ++scale;
  }
  if (!any || scale > 28) return false;
  d.scale = static_cast<uint8_t>(scale);
  SetMantissa(&d, m);
  *out = d;
  return true;
}

bool CurrencyFitsDouble(int64_t cy, double* amount) {
  *amount = static_cast<double>(cy) / 10000.0;
  double back = std::nearbyint(*amount * 10000.0);
  return std::fabs(back) < 9.2e18 && static_cast<int64_t>(back) == cy;
}

std::string CurrencyText(int64_t cy) {
  DECIMAL d;
  d.negative = cy < 0;
  U128 m = cy < 0 ? static_cast<U128>(-(cy + 1)) + 1 : static_cast<U128>(cy);
  SetMantissa(&d, m);
  d.scale = 4;
  return DecimalText(d);
}

bool ParseCurrency(const char* text, int64_t* cy) {
  DECIMAL d;
  if (!ParseDecimal(text, &d) || d.scale > 4) return false;
  d = Rescaled(d, 4);
  U128 m = Mantissa(d);
  if (d.negative ? m > static_cast<U128>(INT64_MAX) + 1 : m > static_cast<U128>(INT64_MAX)) return false;
  if (m == 0) { *cy = 0; return true; }
  *cy = d.negative ? static_cast<int64_t>(-static_cast<int64_t>(m - 1) - 1) : static_cast<int64_t>(m);
  return true;
}

}  // namespace jet
