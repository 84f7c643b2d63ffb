// Currency and Decimal kept exact through a statement, as the one exact number
// type of platform/com/Exact.h, in two ways of travelling through SQLite.
//
// As REALs (today's translation): SQLite compares and sorts them right, but its
// own + and - and Sum would round a million times in a million additions. Where
// the translator finds that Jet's type of a +, a - or an aggregate is Currency or
// Decimal, it calls the vba_cy* and vba_dec* functions instead: each reads its
// operands back into exact values (the REAL's shortest decimal, or the exact value
// ScanState remembered for it), computes exactly, and hands out the REAL nearest
// the result, remembering the exact value when that REAL does not give it back.
//
// As exact BLOBs (ScanState::exactTransport): the virtual table hands Currency
// and Decimal columns to SQLite as the keys of platform/com/ExactKey.h, whose
// byte order is the numbers' order and which are equal exactly for equal numbers.
// Between two such BLOBs, =, <, ORDER BY, GROUP BY, DISTINCT, min and max are
// SQLite's own and exact, with nothing remembered on the side. A lowering then:
//   - wraps whatever is compared with, or mixed into, an exact value and is not
//     one itself (a literal, an integer or Double column, a parameter) in
//     jet_exact(x): SQLite orders every BLOB after every number, so 18 and an
//     exact 18 are not equal until both are BLOBs;
//   - writes a + b, a - b, a * b, a / b and -a of Jet's type Decimal as
//     jet_exact_add, _sub, _mul, _div and _neg, and those of type Currency inside
//     jet_currency(...), which rounds to Currency's four places and raises Jet's
//     overflow beyond its range;
//   - writes Sum and Avg of Currency or Decimal as jet_exact_sum and
//     jet_exact_avg (Currency's inside jet_currency);
//   - writes jet_exact_real(x) where an exact value meets a Double (Jet's type
//     of Currency * Double is Double), and jet_exact_text(x) where one becomes
//     text (& and CStr).
// Each takes exact BLOBs, numbers and numeric text; NULL gives NULL. The cursor
// turns an exact BLOB back into VT_CY or VT_DECIMAL by its column's type, and the
// VBA functions read one as its number.
#pragma once

struct sqlite3;

namespace jet {

struct ScanState;

// The REAL transport: a + b, a - b, Sum(x), Avg(x).
extern const char kCurrencyAdd[];
extern const char kCurrencySubtract[];
extern const char kCurrencySum[];
extern const char kCurrencyAverage[];
extern const char kDecimalAdd[];
extern const char kDecimalSubtract[];
extern const char kDecimalSum[];
// A Currency's text where Jet joins it to text or CStr gives it: its exact amount
// ("123456789275.8456"), not the 15 digits of the REAL it travels as.
extern const char kCurrencyText[];

// The exact transport.
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
