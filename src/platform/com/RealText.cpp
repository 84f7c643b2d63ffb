#include "platform/com/RealText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Significant digits (no trailing zeros) and the power of ten of the first one.
struct Digits {
  std::string digits;
  int exponent = 0;
};

// Splits scientific output ("d.ddde+xx") into digits and exponent.
Digits ParseScientific(const char* text, const char* end) {
  Digits d;
  const char* p = text;
  for (; p < end && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') d.digits += *p;
  }
  if (p < end) {
    int sign = 1, exponent = 0;
    for (++p; p < end; ++p) {
      if (*p == '-') sign = -1;
      else if (*p >= '0' && *p <= '9') exponent = exponent * 10 + (*p - '0');
    }
    d.exponent = sign * exponent;
  }
  return d;
}

void StripTrailingZeros(Digits* d) {
  while (d->digits.size() > 1 && d->digits.back() == '0') d->digits.pop_back();
}

// Rounds a positive value to `precision` digits, half away from zero. The digits
// come from a correctly rounded expansion 20 places longer than needed, far past
// where a binary value can sit near a decimal tie without being one.
Digits RoundHalfUp(double v, int precision) {
  char buf[96];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision + 19);
  Digits all = ParseScientific(buf, r.ptr);
  Digits d;
  d.exponent = all.exponent;
  d.digits = all.digits.substr(0, static_cast<size_t>(precision));
  if (all.digits[static_cast<size_t>(precision)] >= '5') {
    int i = precision - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.digits[static_cast<size_t>(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      d.digits.pop_back();
      ++d.exponent;
    }
  }
  StripTrailingZeros(&d);
  return d;
}

// The shortest digits that read back as the same Real (to_chars finds them for
// the value's own type), or the value rounded to `precision` when they are longer.
template <class Real>
Digits ShortestDigits(Real v, int precision) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  Digits d = ParseScientific(buf, r.ptr);
  StripTrailingZeros(&d);
  if (static_cast<int>(d.digits.size()) <= precision) return d;
  return RoundHalfUp(static_cast<double>(v), precision);
}

std::string Layout(bool negative, const Digits& d, int plainMaxExponent) {
  std::string out = negative ? "-" : "";
  const std::string& s = d.digits;
  const int e = d.exponent;
  if (e >= -4 && e <= plainMaxExponent) {
    if (e < 0) {
      out += "0.";
      out.append(static_cast<size_t>(-e - 1), '0');
      out += s;
    } else if (static_cast<int>(s.size()) <= e + 1) {
      out += s;
      out.append(static_cast<size_t>(e + 1 - static_cast<int>(s.size())), '0');
    } else {
      out += s.substr(0, static_cast<size_t>(e + 1));
      out += '.';
      out += s.substr(static_cast<size_t>(e + 1));
    }
    return out;
  }
  out += s[0];
  if (s.size() > 1) {
    out += '.';
    out += s.substr(1);
  }
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
  return out + exp;
}

template <class Real>
std::string RealText(Real v, int precision, int plainMaxExponent) {
  if (std::isnan(v)) return "1.#QNAN";
  if (std::isinf(v)) return v < 0 ? "-1.#INF" : "1.#INF";
  if (v == 0) return "0";  // negative zero too
  bool negative = v < 0;
  return Layout(negative, ShortestDigits<Real>(negative ? -v : v, precision), plainMaxExponent);
}

}  // namespace

std::string SingleText(float value) { return RealText<float>(value, 7, 7); }
std::string DoubleText(double value) { return RealText<double>(value, 15, 14); }
