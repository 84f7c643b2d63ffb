// The values of --json (JSON Lines, always UTF-8): integers, Singles and Doubles as
// JSON numbers that read back exactly (CsvValue's shortest forms); Currency and
// Decimal as strings, to stay exact; dates as ISO 8601 strings; Yes/No as true and
// false; NULL as null; text as a JSON string.
#pragma once
#include <string>
#include <string_view>
#include "platform/com/Variant.h"

// Appends utf8 as a JSON string, quotes included.
void AppendJsonString(std::string_view utf8, std::string* out);

// Appends the value; binary values are the caller's (they follow --binary).
// Returns the window's failure code for a value with no form (a date outside the
// calendar).
HRESULT AppendJsonValue(const VARIANT& value, std::string* out);
