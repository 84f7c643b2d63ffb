#include "platform/com/RealText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
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
  while (d->count > 1 && d->digits[d->count - 1] == '0') --d->count;
}

// The digits of a positive double rounded to `precision` significant digits, as
// printf rounds them: the exact binary value, ties to even.
void RoundedDigits(double v, int precision, Digits* d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  ParseScientific(buf, r.ptr, d);
  // The shortest digits that read back as v: when there are no more than 15, they
  // are v rounded to 15 digits too (every decimal of 15 digits survives a trip
  // through a normal double), and the cheap conversion is the exact one.
  if (d->count <= precision && precision <= 15 && v >= DBL_MIN) return;
  r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision - 1);
  ParseScientific(buf, r.ptr, d);
}

// %G's layout of the digits: plain when -4 <= exponent < precision.
char* Layout(char* p, bool negative, const Digits& d, int precision) {
  if (negative) *p++ = '-';
  const int n = d.count, e = d.exponent;
  if (e >= -4 && e < precision) {
    if (e < 0) {
      *p++ = '0';
      *p++ = '.';
      for (int i = 0; i < -e - 1; ++i) *p++ = '0';
      std::memcpy(p, d.digits, static_cast<size_t>(n));
      return p + n;
    }
    if (n <= e + 1) {
      std::memcpy(p, d.digits, static_cast<size_t>(n));
      p += n;
      for (int i = n; i < e + 1; ++i) *p++ = '0';
      return p;
    }
    std::memcpy(p, d.digits, static_cast<size_t>(e + 1));
    p += e + 1;
    *p++ = '.';
    std::memcpy(p, d.digits + e + 1, static_cast<size_t>(n - e - 1));
    return p + (n - e - 1);
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
  return p;
}

char* PutCopy(char* p, const char* text) {
  size_t n = std::strlen(text);
  std::memcpy(p, text, n);
  return p + n;
}

// Most stored numbers are whole or have a few decimals (amounts, measures). Such a
// value is N / 10^k for a whole N of at most `precision` digits; that decimal is
// then its text, as a decimal this short survives the trip through a double.
// Writes it, or returns nullptr for any other value.
char* ShortDecimal(double v, int precision, char* p) {
  static const double kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                  100000000, 1000000000, 10000000000, 100000000000,
                                  1000000000000, 10000000000000, 100000000000000,
                                  1000000000000000};
  const double limit = kPow10[precision];
  for (int k = 0; k <= 4; ++k) {
    const double x = v * kPow10[k];
    if (!(x < limit)) return nullptr;  // too many digits, as more decimals only add
    if (x != std::trunc(x) || x / kPow10[k] != v) continue;
    uint64_t n = static_cast<uint64_t>(x);
    int scale = k;
    while (scale > 0 && n % 10 == 0) {
      n /= 10;
      --scale;
    }
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    int count = static_cast<int>(end - digits);
    if (count <= scale) {  // 0.0dd
      *p++ = '0';
      *p++ = '.';
      for (int i = count; i < scale; ++i) *p++ = '0';
      std::memcpy(p, digits, static_cast<size_t>(count));
      return p + count;
    }
    std::memcpy(p, digits, static_cast<size_t>(count - scale));
    p += count - scale;
    if (scale > 0) {
      *p++ = '.';
      std::memcpy(p, digits + count - scale, static_cast<size_t>(scale));
      p += scale;
    }
    return p;
  }
  return nullptr;
}

char* RealText(double v, int precision, char* p) {
  if (std::isnan(v)) return PutCopy(p, "1.#QNAN");
  if (std::isinf(v)) return PutCopy(p, v < 0 ? "-1.#INF" : "1.#INF");
  if (v == 0) return PutCopy(p, "0");  // negative zero too
  bool negative = v < 0;
  if (negative) *p = '-';
  if (char* end = ShortDecimal(negative ? -v : v, precision, p + negative)) return end;
  Digits d;
  RoundedDigits(negative ? -v : v, precision, &d);
  return Layout(p, negative, d, precision);
}

}  // namespace

char* PutSingleText(float value, char* out) { return RealText(static_cast<double>(value), 7, out); }
char* PutDoubleText(double value, char* out) { return RealText(value, 15, out); }

std::string SingleText(float value) {
  char buf[kRealTextMax];
  return std::string(buf, PutSingleText(value, buf));
}

std::string DoubleText(double value) {
  char buf[kRealTextMax];
  return std::string(buf, PutDoubleText(value, buf));
}
