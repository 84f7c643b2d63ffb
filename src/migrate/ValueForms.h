// The written forms of values in a target database and in --describe's JSON:
// small functions the writers share (ISO 8601 dates, exact numbers, base64, JSON
// strings).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/com/OleDate.h"
#include "platform/com/Variant.h"

namespace migrate {

// "YYYY-MM-DD HH:MM:SS", with ".fff" when the value holds milliseconds.
using oledate::IsoDateTime;
// A Date/Time Extended value that came as its text (beyond a VT_DATE's reach), as
// "YYYY-MM-DD HH:MM:SS" with its fraction of up to 7 digits; false for any other value.
bool IsoExtendedDate(const VARIANT& value, std::string* out);
// The exact decimal text of a Currency (VT_CY) or Decimal (VT_DECIMAL) value:
// no exponent, trailing zeros dropped.
std::string ExactDecimal(const VARIANT& value);
// Whether the exact text reads as one double that prints back as the same text:
// then a REAL column holds the value without change.
bool RealKeepsDecimal(const std::string& exact, double* value);
std::string Base64(const uint8_t* bytes, size_t n);
// A JSON string literal, quotes included.
std::string JsonString(const std::string& utf8);

}  // namespace migrate
