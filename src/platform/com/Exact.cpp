#include "platform/com/Exact.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

using U128 = unsigned __int128;
const U128 kLimit = static_cast<U128>(1) << 96;  // magnitudes stay below it

// An unsigned integer of 256 bits, for the exact intermediate results: two
// mantissas aligned to one scale (below 2^190), or their product (below 2^192).
struct Wide {
  uint64_t limb[4] = {};  // least significant first

  static Wide Of(U128 v) {
    Wide w;
    w.limb[0] = static_cast<uint64_t>(v);
    w.limb[1] = static_cast<uint64_t>(v >> 64);
    return w;
  }
  bool IsZero() const { return (limb[0] | limb[1] | limb[2] | limb[3]) == 0; }
  bool Below96() const { return limb[3] == 0 && limb[2] == 0 && limb[1] < (uint64_t{1} << 32); }
  U128 Low() const { return static_cast<U128>(limb[1]) << 64 | limb[0]; }
  // *this *= k; false when the product leaves 256 bits.
  bool MultiplySmall(uint64_t k) {
    U128 carry = 0;
    for (uint64_t& l : limb) {
      const U128 p = static_cast<U128>(l) * k + carry;
      l = static_cast<uint64_t>(p);
      carry = p >> 64;
    }
    return carry == 0;
  }
  // *this /= d, returning the remainder.
  uint64_t DivideSmall(uint64_t d) {
    U128 rest = 0;
    for (int i = 3; i >= 0; --i) {
      const U128 cur = rest << 64 | limb[i];
      limb[i] = static_cast<uint64_t>(cur / d);
      rest = cur % d;
    }
    return static_cast<uint64_t>(rest);
  }
  static int Compare(const Wide& a, const Wide& b) {
    for (int i = 3; i >= 0; --i)
      if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    return 0;
  }
  void Add(const Wide& b) {
    U128 carry = 0;
    for (int i = 0; i < 4; ++i) {
      const U128 s = static_cast<U128>(limb[i]) + b.limb[i] + carry;
      limb[i] = static_cast<uint64_t>(s);
      carry = s >> 64;
    }
  }
  // *this -= b, b not larger.
  void Subtract(const Wide& b) {
    uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
      const uint64_t x = limb[i], y = b.limb[i];
      limb[i] = x - y - borrow;
      borrow = (x < y || (x == y && borrow)) ? 1 : 0;
    }
  }
  static Wide Product(U128 a, U128 b) {
    const uint64_t x[2] = {static_cast<uint64_t>(a), static_cast<uint64_t>(a >> 64)};
    const uint64_t y[2] = {static_cast<uint64_t>(b), static_cast<uint64_t>(b >> 64)};
    Wide w;
    for (int i = 0; i < 2; ++i) {
      U128 carry = 0;
      for (int j = 0; j < 2; ++j) {
        const U128 p = static_cast<U128>(x[i]) * y[j] + w.limb[i + j] + carry;
        w.limb[i + j] = static_cast<uint64_t>(p);
        carry = p >> 64;
      }
      w.limb[i + 2] = static_cast<uint64_t>(carry);
    }
    return w;
  }
};

// A magnitude scaled up by 10^n (n <= 28 keeps a Decimal's below 2^190).
Wide ScaledUp(U128 m, int n) {
  Wide w = Wide::Of(m);
  for (; n >= 19; n -= 19) w.MultiplySmall(10000000000000000000ull);
  uint64_t p = 1;
  while (n-- > 0) p *= 10;
  w.MultiplySmall(p);
  return w;
}

// Brings an exact result into a Decimal: while its scale is beyond 28 or its
// magnitude beyond 96 bits, a digit goes, and the last rounds half to even
// (`sticky`: digits already dropped that were not zero). False when the whole
// part alone does not fit.
bool Reduce(bool negative, Wide m, int scale, bool sticky, Exact* out) {
  int last = 0;
  bool dropped = false;
  for (;;) {
    while (scale > Exact::kMaxScale || (!m.Below96() && scale > 0)) {
      sticky = sticky || last != 0;
      last = static_cast<int>(m.DivideSmall(10));
      dropped = true;
      --scale;
    }
    if (dropped && (last > 5 || (last == 5 && (sticky || (m.limb[0] & 1))))) m.Add(Wide::Of(1));
    dropped = false, sticky = false, last = 0;
    if (m.Below96()) break;
    if (scale == 0) return false;  // rounding carried past 96 bits: one digit more goes
  }
  *out = Exact::OfParts(negative, m.Low(), scale);
  return true;
}

const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The digits of `m`, written backwards from `end`; returns where they start.
template <class Unsigned>
char* PutDigitsBackwards(Unsigned m, char* end) {
  do {
    *--end = static_cast<char>('0' + static_cast<int>(m % 10));
    m /= 10;
  } while (m != 0);
  return end;
}

}  // namespace

Exact Exact::OfParts(bool negative, U128 magnitude, int scale) {
  Exact e;
  e.m_mantissa = negative ? -static_cast<__int128>(magnitude) : static_cast<__int128>(magnitude);
  e.m_scale = scale;
  return e;
}

U128 Exact::Magnitude() const {
  return m_mantissa < 0 ? static_cast<U128>(-m_mantissa) : static_cast<U128>(m_mantissa);
}

Exact Exact::OfInteger(int64_t n) {
  Exact e;
  e.m_mantissa = n;
  return e;
}

Exact Exact::OfCurrency(int64_t cy) {
  Exact e;
  e.m_mantissa = cy;
  e.m_scale = 4;
  return e;
}

bool Exact::OfDecimal(const DECIMAL& d, Exact* out) {
  if (d.scale > kMaxScale) return false;
  *out = OfParts(d.negative, static_cast<U128>(d.hi32) << 64 | d.lo64, d.scale);
  return true;
}

bool Exact::OfDouble(double d, Exact* out) {
  if (!std::isfinite(d)) return false;
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);  // the shortest text that reads back
  return r.ec == std::errc() && Parse(buf, static_cast<size_t>(r.ptr - buf), out);
}

bool Exact::Parse(const char* text, size_t size, Exact* out) {
  const char* p = text;
  const char* end = text + size;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Up to 60 significant digits are kept whole (below 2^200); any beyond only
  // decide the rounding.
  Wide m;
  int kept = 0, scale = 0;
  bool point = false, any = false, sticky = false;
  for (; p < end; ++p) {
    if (*p == '.' && !point) {
      point = true;
      continue;
    }
    if (*p < '0' || *p > '9') break;
    any = true;
    const int digit = *p - '0';
    if (kept < 60) {
      if (kept > 0 || digit != 0) ++kept;
      m.MultiplySmall(10);
      m.Add(Wide::Of(static_cast<U128>(digit)));
      if (point) ++scale;
    } else {
      sticky = sticky || digit != 0;
      if (!point) --scale;  // a digit of the whole part not kept: a power of ten more
    }
  }
  if (!any) return false;
  if (p < end && (*p == 'e' || *p == 'E')) {
    int exponent = 0;
    const auto r = std::from_chars(p + 1 + (p + 1 < end && p[1] == '+'), end, exponent);
    if (r.ec != std::errc() || r.ptr != end || exponent > 100 || exponent < -100) return false;
    scale -= exponent;
  } else if (p != end) {
    return false;
  }
  for (; scale < 0; ++scale)
    if (!m.MultiplySmall(10) || !m.Below96()) return false;
  return Reduce(negative && !m.IsZero(), m, scale, sticky, out);
}

bool Exact::ToCurrency(int64_t* cy) const {
  Exact four;
  if (!Rescaled(4, &four) || four.m_mantissa > INT64_MAX || four.m_mantissa < INT64_MIN) return false;
  *cy = static_cast<int64_t>(four.m_mantissa);
  return true;
}

DECIMAL Exact::ToDecimal() const {
  DECIMAL d;
  const U128 m = Magnitude();
  d.negative = m_mantissa < 0;
  d.scale = static_cast<uint8_t>(m_scale);
  d.lo64 = static_cast<uint64_t>(m);
  d.hi32 = static_cast<uint32_t>(m >> 64);
  return d;
}

double Exact::ToDouble() const {
  // Both exact as doubles, one division rounds once: the nearest double.
  const U128 m = Magnitude();
  if (m < (static_cast<U128>(1) << 53) && m_scale <= 22) {
    const double v = static_cast<double>(m) / kPowers[m_scale];
    return m_mantissa < 0 ? -v : v;
  }
  char buf[kTextMax];
  *PutScaledText(buf) = '\0';
  return std::strtod(buf, nullptr);
}

bool Exact::Rescaled(int scale, Exact* out) const {
  if (scale < 0 || scale > kMaxScale) return false;
  if (scale == m_scale) return *out = *this, true;
  if (scale < m_scale) {
    Wide m = Wide::Of(Magnitude());
    int last = 0;
    bool sticky = false;
    for (int s = m_scale; s > scale; --s) {
      sticky = sticky || last != 0;
      last = static_cast<int>(m.DivideSmall(10));
    }
    if (last > 5 || (last == 5 && (sticky || (m.limb[0] & 1)))) m.Add(Wide::Of(1));
    if (!m.Below96()) return false;
    *out = OfParts(m_mantissa < 0 && !m.IsZero(), m.Low(), scale);
    return true;
  }
  const Wide m = ScaledUp(Magnitude(), scale - m_scale);
  if (!m.Below96()) return false;
  *out = OfParts(m_mantissa < 0, m.Low(), scale);
  return true;
}

Exact Exact::Normalized() const {
  Exact e = *this;
  while (e.m_scale > 0 && e.m_mantissa % 10 == 0) {
    e.m_mantissa /= 10;
    --e.m_scale;
  }
  return e;
}

bool Exact::Add(const Exact& a, const Exact& b, Exact* out) {
  // At one scale the sum of two Decimals stays far inside 128 bits: the common
  // case (a total of one column) needs no wide arithmetic.
  if (a.m_scale == b.m_scale) {
    const __int128 sum = a.m_mantissa + b.m_mantissa;
    if (sum < static_cast<__int128>(kLimit) && sum > -static_cast<__int128>(kLimit)) {
      out->m_mantissa = sum;
      out->m_scale = a.m_scale;
      return true;
    }
  }
  const int scale = a.m_scale > b.m_scale ? a.m_scale : b.m_scale;
  Wide x = ScaledUp(a.Magnitude(), scale - a.m_scale), y = ScaledUp(b.Magnitude(), scale - b.m_scale);
  bool negative = a.IsNegative();
  if (a.IsNegative() == b.IsNegative()) {
    x.Add(y);
  } else if (Wide::Compare(x, y) >= 0) {
    x.Subtract(y);
  } else {
    y.Subtract(x);
    x = y;
    negative = b.IsNegative();
  }
  return Reduce(negative && !x.IsZero(), x, scale, false, out);
}

bool Exact::Subtract(const Exact& a, const Exact& b, Exact* out) { return Add(a, b.Negated(), out); }

bool Exact::Multiply(const Exact& a, const Exact& b, Exact* out) {
  const Wide p = Wide::Product(a.Magnitude(), b.Magnitude());
  return Reduce(a.IsNegative() != b.IsNegative() && !p.IsZero(), p, a.m_scale + b.m_scale, false, out);
}

bool Exact::Divide(const Exact& a, const Exact& b, Exact* out) {
  const U128 divisor = b.Magnitude();
  if (divisor == 0) return false;
  const bool negative = a.IsNegative() != b.IsNegative();
  // The quotient's digits one by one: the whole part, then as many more as the
  // scale and 96 bits allow. Its scale is a's less b's plus the digits added, and
  // never below zero.
  U128 q = a.Magnitude() / divisor, rest = a.Magnitude() % divisor;
  int scale = a.m_scale - b.m_scale;
  if (q >= kLimit) return false;
  while (scale < kMaxScale && (rest != 0 || scale < 0)) {
    const U128 digit = rest * 10 / divisor;
    if (q * 10 + digit >= kLimit) {
      if (scale < 0) return false;
      break;
    }
    q = q * 10 + digit;
    rest = rest * 10 % divisor;
    ++scale;
  }
  // The digits left over round the last one kept, half to even.
  if (rest != 0 && (rest * 2 > divisor || (rest * 2 == divisor && (q & 1)))) ++q;
  return Reduce(negative && q != 0, Wide::Of(q), scale, false, out);
}

Exact Exact::Negated() const {
  Exact e = *this;
  e.m_mantissa = -e.m_mantissa;
  return e;
}

int Exact::Compare(const Exact& a, const Exact& b) {
  if (a.m_scale == b.m_scale) return a.m_mantissa < b.m_mantissa ? -1 : a.m_mantissa > b.m_mantissa ? 1 : 0;
  if (a.IsNegative() != b.IsNegative()) return a.IsNegative() ? -1 : 1;
  const int scale = a.m_scale > b.m_scale ? a.m_scale : b.m_scale;
  const int order = Wide::Compare(ScaledUp(a.Magnitude(), scale - a.m_scale), ScaledUp(b.Magnitude(), scale - b.m_scale));
  return a.IsNegative() ? -order : order;
}

char* Exact::PutScaledText(char* out) const {
  char digits[48];
  char* const end = digits + sizeof digits;
  const U128 m = Magnitude();
  char* first = m >> 64 == 0 ? PutDigitsBackwards(static_cast<uint64_t>(m), end) : PutDigitsBackwards(m, end);
  while (end - first <= m_scale) *--first = '0';  // a digit before the point
  if (m_mantissa < 0) *out++ = '-';
  const char* point = end - m_scale;
  for (const char* p = first; p < point; ++p) *out++ = *p;
  if (m_scale > 0) {
    *out++ = '.';
    for (const char* p = point; p < end; ++p) *out++ = *p;
  }
  return out;
}

char* Exact::PutText(char* out) const {
  char* end = PutScaledText(out);
  if (m_scale == 0) return end;
  while (end[-1] == '0') --end;
  return end[-1] == '.' ? end - 1 : end;
}

std::string Exact::Text() const {
  char buf[kTextMax];
  return std::string(buf, PutText(buf));
}

std::string Exact::ScaledText() const {
  char buf[kTextMax];
  return std::string(buf, PutScaledText(buf));
}
