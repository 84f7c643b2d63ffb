// Currency and Decimal kept exact through a statement, as the one exact number
// type of platform/com/Exact.h. The virtual table hands Currency and Decimal
// columns to SQLite as the keys of platform/com/ExactKey.h, whose byte order is
// the numbers' order and which are equal exactly for equal numbers. Between two
// such BLOBs, =, <, ORDER BY, GROUP BY, DISTINCT, min and max are SQLite's own
// and exact, with nothing remembered on the side. The money lowering
// (Lowering.cpp) keeps every value Jet types Currency or Decimal such a BLOB:
//   - it wraps whatever is compared with, or mixed into, an exact value and is
//     not one itself (a literal, an integer or Double column, a parameter) in
//     jet_exact(x): SQLite orders every BLOB after every number, so 18 and an
//     exact 18 are not equal until both are BLOBs;
//   - it writes a + b, a - b, a * b and -a of Jet's type Decimal as
//     jet_exact_add, _sub, _mul and _neg, and those of type Currency inside
//     jet_currency(...), which rounds to Currency's four places and raises Jet's
//     overflow beyond its range (jet_exact_div divides so);
//   - it writes Sum and Avg of Currency or Decimal as jet_exact_sum and
//     jet_exact_avg (Currency's inside jet_currency), and makes a VBA function's
//     Currency or Decimal result (CCur) exact with jet_currency or jet_exact;
//   - it writes jet_exact_real(x) where an exact value meets a Double (Jet's type
//     of Currency * Double is Double) or is a VBA function's number argument, and
//     jet_exact_text(x) where one becomes text (& , CStr, a String parameter).
// Each takes exact BLOBs, numbers and numeric text; NULL gives NULL. The cursor
// turns an exact BLOB back into VT_CY or VT_DECIMAL by its column's type, and the
// VBA functions read one as its number.
#pragma once

struct sqlite3;

namespace jet {

struct ScanState;

extern const char kExact[];          // jet_exact(x): x as an exact BLOB
extern const char kExactAdd[];       // jet_exact_add(a, b)
extern const char kExactSubtract[];  // jet_exact_sub(a, b)
extern const char kExactMultiply[];  // jet_exact_mul(a, b)
extern const char kExactDivide[];    // jet_exact_div(a, b)
extern const char kExactNegate[];    // jet_exact_neg(x)
extern const char kExactCurrency[];  // jet_currency(x)
extern const char kExactReal[];      // jet_exact_real(x): the nearest REAL
extern const char kExactText[];      // jet_exact_text(x): Jet's text ("18", "-0.5")
extern const char kExactSum[];       // jet_exact_sum(x), an aggregate
extern const char kExactAverage[];   // jet_exact_avg(x), an aggregate

// Registers them all on `db`; `state` must outlive the connection.
bool RegisterExactMoney(sqlite3* db, ScanState* state);

}  // namespace jet
