// Access's Decimal and Currency values in their VARIANT forms, converted to and
// from doubles and text: where a number stands for a Decimal (the cursor's
// Decimal column given a REAL) and for the checks of those forms. The arithmetic
// and text are those of the one exact number type, platform/com/Exact.h.
#pragma once
#include <cstdint>
#include <string>

#include "platform/com/Variant.h"

namespace jet {

double DecimalToDouble(const DECIMAL& d);
// The shortest decimal that reads back as `d`, at the smallest scale that holds it.
DECIMAL DecimalFromDouble(double d);
// The same value at a larger scale (trailing zeros added); unchanged when it does
// not fit 96 bits or the scale is not larger.
DECIMAL Rescaled(const DECIMAL& d, uint8_t scale);
bool SameDecimal(const DECIMAL& a, const DECIMAL& b);
// Plain text with exactly `scale` digits after the point ("-0.0100"), and back.
std::string DecimalText(const DECIMAL& d);
bool ParseDecimal(const char* text, DECIMAL* out);

// Currency: whether a REAL holds the amount exactly, and the exact text.
bool CurrencyFitsDouble(int64_t cy, double* amount);
std::string CurrencyText(int64_t cy);
bool ParseCurrency(const char* text, int64_t* cy);

}  // namespace jet
