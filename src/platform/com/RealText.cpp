#include "platform/com/RealText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Significant digits (no trailing zeros) and the power of ten of the first one.
struct Digits {
  char digits[48];
  int count = 0;
  int exponent = 0;
};

// Splits to_chars' scientific output ("d.ddde+xx") into digits and exponent.
void ParseScientific(const char* p, const char* end, Digits* d) {
  d->count = 0;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.') d->digits[d->count++] = *p;
  }
  int sign = 1, exponent = 0;
  for (++p; p < end; ++p) {
    if (*p == '-') sign = -1;
    else if (*p >= '0' && *p <= '9') exponent = exponent * 10 + (*p - '0');
  }
  d->exponent = sign * exponent;
}

void StripTrailingZeros(Digits* d) {
  while (d->count > 1 && d->digits[d->count - 1] == '0') --d->count;
}

// Rounds a positive value to `precision` digits, half away from zero. One digit
// more, correctly rounded, decides it unless that digit is a 5: then the value
// may sit on the tie itself, and an expansion 20 places longer tells, far past
// where a binary value can come near a decimal tie without being one.
void RoundHalfUp(double v, int precision, Digits* d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision);
  ParseScientific(buf, r.ptr, d);
  bool up = d->digits[precision] >= '5';
  if (d->digits[precision] == '5') {
    Digits longer;
    r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision + 19);
    ParseScientific(buf, r.ptr, &longer);
    up = longer.digits[precision] >= '5';
    std::memcpy(d->digits, longer.digits, static_cast<size_t>(precision));
    d->exponent = longer.exponent;
  }
  d->count = precision;
  if (up) {
    int i = precision - 1;
    while (i >= 0 && d->digits[i] == '9') d->digits[i--] = '0';
    if (i >= 0) {
      ++d->digits[i];
    } else {  // 9.99... became 10.0...
      d->digits[0] = '1';
      ++d->exponent;
    }
  }
  StripTrailingZeros(d);
}

// The shortest digits that read back as the same Real (to_chars finds them for
// the value's own type), or the value rounded to `precision` when they are longer.
template <class Real>
void ShortestDigits(Real v, int precision, Digits* d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  ParseScientific(buf, r.ptr, d);
  StripTrailingZeros(d);
  if (d->count > precision) RoundHalfUp(static_cast<double>(v), precision, d);
}

std::string Layout(bool negative, const Digits& d, int plainMaxExponent) {
  char out[64];
  char* p = out;
  if (negative) *p++ = '-';
  const int n = d.count, e = d.exponent;
  if (e >= -4 && e <= plainMaxExponent) {
    if (e < 0) {
      *p++ = '0';
      *p++ = '.';
      for (int i = 0; i < -e - 1; ++i) *p++ = '0';
      std::memcpy(p, d.digits, static_cast<size_t>(n));
      p += n;
    } else if (n <= e + 1) {
      std::memcpy(p, d.digits, static_cast<size_t>(n));
      p += n;
      for (int i = n; i < e + 1; ++i) *p++ = '0';
    } else {
      std::memcpy(p, d.digits, static_cast<size_t>(e + 1));
      p += e + 1;
      *p++ = '.';
      std::memcpy(p, d.digits + e + 1, static_cast<size_t>(n - e - 1));
      p += n - e - 1;
    }
    return std::string(out, p);
  }
  *p++ = d.digits[0];
  if (n > 1) {
    *p++ = '.';
    std::memcpy(p, d.digits + 1, static_cast<size_t>(n - 1));
    p += n - 1;
  }
  *p++ = 'E';
  *p++ = e < 0 ? '-' : '+';
  int a = e < 0 ? -e : e;
  if (a >= 100) *p++ = static_cast<char>('0' + a / 100);
  *p++ = static_cast<char>('0' + a / 10 % 10);
  *p++ = static_cast<char>('0' + a % 10);
  return std::string(out, p);
}

template <class Real>
std::string RealText(Real v, int precision, int plainMaxExponent) {
  if (std::isnan(v)) return "1.#QNAN";
  if (std::isinf(v)) return v < 0 ? "-1.#INF" : "1.#INF";
  if (v == 0) return "0";  // negative zero too
  bool negative = v < 0;
  Digits d;
  ShortestDigits<Real>(negative ? -v : v, precision, &d);
  return Layout(negative, d, plainMaxExponent);
}

}  // namespace

std::string SingleText(float value) { return RealText<float>(value, 7, 7); }
std::string DoubleText(double value) { return RealText<double>(value, 15, 14); }
