// A value of the source as SQLite keeps it: Yes/No 1 or 0, integers, Single and
// Double as REAL, Currency and Decimal as an INTEGER or REAL where that keeps the
// value exactly and as their exact text where it would not, dates as ISO 8601
// text, binary as BLOB.
#pragma once
#include <sqlite3.h>
#include <string>
#include "platform/com/Variant.h"

namespace migrate {

// Binds v to parameter i; *scratch holds the text of a converted value until the
// statement has run (a text or binary value itself is bound without a copy).
void BindValue(sqlite3_stmt* stmt, int i, const VARIANT& v, std::string* scratch);

}  // namespace migrate
