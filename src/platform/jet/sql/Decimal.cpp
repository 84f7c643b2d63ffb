#include "platform/jet/sql/Decimal.h"

#include <cmath>
#include <cstring>

#include "platform/com/Exact.h"

namespace jet {

double DecimalToDouble(const DECIMAL& d) {
  Exact e;
  return Exact::OfDecimal(d, &e) ? e.ToDouble() : std::nan("");
}

DECIMAL DecimalFromDouble(double d) {
  Exact e;
  return Exact::OfDouble(d, &e) ? e.ToDecimal() : DECIMAL();  // beyond Decimal's range: zero
}

DECIMAL Rescaled(const DECIMAL& d, uint8_t scale) {
  Exact e, wider;
  if (scale <= d.scale || !Exact::OfDecimal(d, &e) || !e.Rescaled(scale, &wider)) return d;
  return wider.ToDecimal();
}

bool SameDecimal(const DECIMAL& a, const DECIMAL& b) {
  return a.scale == b.scale && a.negative == b.negative && a.hi32 == b.hi32 && a.lo64 == b.lo64;
}

std::string DecimalText(const DECIMAL& d) {
  Exact e;
  return Exact::OfDecimal(d, &e) ? e.ScaledText() : std::string();
}

bool ParseDecimal(const char* text, DECIMAL* out) {
  Exact e;
  if (!Exact::Parse(text, std::strlen(text), &e)) return false;
  *out = e.ToDecimal();
  return true;
}

bool CurrencyFitsDouble(int64_t cy, double* amount) {
  *amount = static_cast<double>(cy) / 10000.0;
  double back = std::nearbyint(*amount * 10000.0);
  return std::fabs(back) < 9.2e18 && static_cast<int64_t>(back) == cy;
}

std::string CurrencyText(int64_t cy) { return Exact::OfCurrency(cy).ScaledText(); }

bool ParseCurrency(const char* text, int64_t* cy) {
  Exact e;
  return Exact::Parse(text, std::strlen(text), &e) && e.Scale() <= 4 && e.ToCurrency(cy);
}

}  // namespace jet
