// The text forms of typed values inside a statement, which SQLite's values alone
// cannot tell: a day number the translator knows to be a date, joined to text with
// & or given to CStr, reads as the date does in a result ("1994/8/4"), not as its
// day number; a Single reads with its 7 digits ("0.1"), not as the Double it
// travels as ("0.100000001490116").
#include <sqlite3.h>

#include <string>

#include "platform/com/RealText.h"
#include "platform/com/Variant.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/ScalarSubqueries.h"
#include "platform/jet/sql/Translate.h"
#include "platform/jet/sql/TypedText.h"

namespace jet {

const char sql::kDateTextFunction[] = "vba_datetext";
const char sql::kSingleTextFunction[] = "vba_singletext";

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

void SingleText(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
  const std::string text = ::SingleText(static_cast<float>(sqlite3_value_double(argv[0])));
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

bool RegisterTranslationFunctions(sqlite3* db, ScanState* state) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  return sql::RegisterSingleRowCheck(db, state) && RegisterExactMoney(db, state) &&
         sqlite3_create_function(db, sql::kDateTextFunction, 1, flags, nullptr, DateText, nullptr, nullptr) ==
             SQLITE_OK &&
         sqlite3_create_function(db, sql::kSingleTextFunction, 1, flags, nullptr, SingleText, nullptr, nullptr) ==
             SQLITE_OK;
}

}  // namespace jet
