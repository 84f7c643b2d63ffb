// The text form of a date inside a statement: a day number the translator knows
// to be a date, joined to text with & or given to CStr, reads as the date does
// in a result ("1994/8/4"), not as its day number.
#include <sqlite3.h>

#include <string>

#include "platform/com/Variant.h"
#include "platform/jet/sql/Types.h"

namespace jet {

namespace {

void DateText(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = sqlite3_value_type(argv[0]);
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
  VARIANT v;
  v.vt = VT_DATE;
  v.date = sqlite3_value_double(argv[0]);
  std::string text;
  if (VariantToText(v, &text) != S_OK) return sqlite3_result_value(ctx, argv[0]);
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

bool RegisterTranslationFunctions(sqlite3* db) {
  return sqlite3_create_function(db, sql::kDateTextFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                 DateText, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace jet
