// Currency and Decimal as one exact number: a signed mantissa and a scale (digits
// after the point), the value being mantissa * 10^-scale. Every value is one a
// Decimal holds (|mantissa| < 2^96, scale 0..28), and so is every Currency (a
// 64-bit count of ten-thousandths, scale 4): one type serves both, and Currency's
// narrower range and four places are imposed where a value becomes one again
// (ToCurrency).
//
// The arithmetic is OLE's for Decimal: a result is exact where its digits fit; a
// result with more digits than 96 bits hold loses its least significant ones,
// rounded half to even; a result whose whole part does not fit is an overflow,
// reported by a false return, never wrapped.
//
// It holds an __int128 and so needs 16-byte alignment: memory handed out by
// others (SQLite's aggregate memory) must place it as sql/AggregateState.h does.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/com/Variant.h"

class Exact {
 public:
  static constexpr int kMaxScale = 28;
  // Room for either text: a sign, 29 digits, a point and a zero before it.
  static constexpr int kTextMax = 34;

  Exact() = default;  // zero
  static Exact OfInteger(int64_t n);
  static Exact OfCurrency(int64_t cy);
  // False for a DECIMAL no Decimal can be (a scale beyond 28).
  static bool OfDecimal(const DECIMAL& d, Exact* out);
  // The shortest decimal that reads back as `d` (0.1 is 0.1), its digits beyond
  // 28 places rounded off; false for NaN, infinities and magnitudes beyond 2^96.
  static bool OfDouble(double d, Exact* out);
  // Decimal text: an optional sign, digits with at most one point, an optional
  // exponent ("1.5E+3"). The scale is the digits written after the point
  // ("18.00" keeps 2), rounded off beyond 28. False for anything else, and for
  // a magnitude beyond 2^96.
  static bool Parse(const char* text, size_t size, Exact* out);

  // Rounded half to even to four places (CCur's rounding); false beyond
  // Currency's range.
  bool ToCurrency(int64_t* cy) const;
  DECIMAL ToDecimal() const;
  // The double nearest the value.
  double ToDouble() const;

  int Scale() const { return m_scale; }
  bool IsZero() const { return m_mantissa == 0; }
  bool IsNegative() const { return m_mantissa < 0; }
  // The same value at `scale`: trailing zeros added, or digits rounded off half
  // to even; false when it does not fit.
  bool Rescaled(int scale, Exact* out) const;
  // The same value at the smallest scale that holds it (18.0000 becomes 18).
  Exact Normalized() const;

  static bool Add(const Exact& a, const Exact& b, Exact* out);
  static bool Subtract(const Exact& a, const Exact& b, Exact* out);
  static bool Multiply(const Exact& a, const Exact& b, Exact* out);
  // As many digits as fit, at least the dividend's scale less the divisor's.
  // `b` must not be zero: dividing by zero is the caller's error to report.
  static bool Divide(const Exact& a, const Exact& b, Exact* out);
  Exact Negated() const;
  // -1, 0 or 1 by value: 18 and 18.0000 are equal.
  static int Compare(const Exact& a, const Exact& b);
  bool operator==(const Exact& o) const { return Compare(*this, o) == 0; }

  // Jet's text: trailing zeros and a bare point dropped ("18", "-0.5"), as
  // VariantChangeType writes Currency and Decimal.
  char* PutText(char* out) const;
  std::string Text() const;
  // The exact text: every digit of the scale ("18.0000", "-0.0100").
  char* PutScaledText(char* out) const;
  std::string ScaledText() const;

  // The parts, for encodings of the value (ExactKey.h).
  unsigned __int128 Magnitude() const;
  static Exact OfParts(bool negative, unsigned __int128 magnitude, int scale);

 private:
  __int128 m_mantissa = 0;
  int m_scale = 0;
};
