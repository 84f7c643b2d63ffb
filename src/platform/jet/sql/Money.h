// Currency and Decimal kept exact through a statement. They travel through SQLite
// as REALs (VirtualTable.h), which compare and sort them right; but SQLite's own
// + and - and Sum add those REALs, and a million additions round a million times.
// Where the translator finds that Jet's type of a +, a - or an aggregate is
// Currency or Decimal, it calls these instead: each reads its operands back into
// exact values (Currency as Jet keeps it, a 64-bit integer of ten-thousandths;
// Decimal as a 96-bit integer with its scale), computes exactly, and hands out
// the REAL nearest the exact result, remembering the exact value in ScanState
// when that REAL does not give it back.
#pragma once

struct sqlite3;

namespace jet {

struct ScanState;

// The SQL names the translator emits: a + b, a - b, Sum(x), Avg(x).
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

// Registers them on `db`; `state` must outlive the connection.
bool RegisterExactMoney(sqlite3* db, ScanState* state);

}  // namespace jet
