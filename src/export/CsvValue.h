// The values of --csv, for programs to read back exactly: a Single or Double in the
// shortest text that reads back to the same value (0.15, 16777216,
// 1.7976931348623157e308), Currency and Decimal exact as in the window's text,
// Date/Time in ISO 8601 (1994-11-16 at midnight, else 1994-11-16 13:05:00, day 0
// included), Yes/No as true and false. Binary and NULL follow the format's choices
// (ExportRun); strings are themselves. JSON takes its numbers and dates from here.
#pragma once
#include <string>
#include <string_view>
#include "platform/com/Variant.h"

// Room for any text PutCsvText writes.
constexpr int kCsvTextMax = 48;

// The text of a value that is no string, binary or NULL, at buf (room for
// kCsvTextMax) with *end past it; else the window's text's failure code.
HRESULT PutCsvText(const VARIANT& value, char* buf, char** end);

// A Date/Time Extended value that a VT_DATE cannot hold comes as its text
// ("yyyy/M/d H:mm:ss.fffffff", the fraction's trailing zeros dropped): appends it
// in ISO 8601, "yyyy-mm-dd hh:mm:ss.fffffff" with the fraction as given, the date
// alone at midnight unless `withTime`. False, with nothing appended, for text of
// another form.
bool AppendIsoExtendedDate(std::string_view text, bool withTime, std::string* out);

// Whether PutCsvText writes a number (JSON writes those bare, dates quoted).
inline bool IsCsvNumber(const VARIANT& value) {
  return value.vt == VT_UI1 || value.vt == VT_I2 || value.vt == VT_I4 || value.vt == VT_I8 ||
         value.vt == VT_R4 || value.vt == VT_R8;
}
