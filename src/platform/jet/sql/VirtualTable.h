// The SQLite module that shows the tables of an .mdb file as virtual tables. Each
// scan streams rows from MdbFile::Scan: nothing is copied, and a statement that
// stops early (LIMIT) stops reading the file.
//
// How values travel through SQLite, chosen so that comparisons and sorts are right
// and the exact VARIANT can be rebuilt for a plain column reference:
//   Text, Memo, Replication ID    TEXT (collated without regard to case)
//   Byte, Integer, Long           INTEGER
//   Yes/No                        INTEGER -1 / 0
//   Single, Double                REAL
//   Currency                      REAL (the amount, not the scaled integer, so that
//                                 price > 18 compares amounts)
//   Date/Time                     REAL day number (OLE calendar)
//   Decimal                       REAL
// Currency and Decimal values a REAL cannot hold exactly (beyond about 15
// significant digits) still travel as the nearest REAL, so that they compare and
// sort right; the scans remember their exact values by that REAL (ScanState), and
// the cursor hands those back.
// Precisely, for Currency: the REAL is cy / 10000.0 rounded to nearest, cy being
// Jet's scaled 64-bit integer. Up to |cy| < 2^53 (amounts within about ±900
// billion, every real-world one) that REAL is distinct per amount and gives cy
// back as llround(REAL * 10000), so equality, order and SQLite's min/max between
// Currency values, and against any other number, are exact, and an index keyed by
// the REAL agrees with SQLite's comparisons. Beyond that, neighbouring amounts may
// share a REAL; the exact value still comes back through ScanState. The same holds
// for a Decimal of at most 15 significant digits (its REAL reads back as the
// shortest decimal). Arithmetic that must stay exact (+, -, Sum, Avg typed
// Currency or Decimal) reads the REALs back into exact values first (Money.h) and
// hands out the REAL nearest its exact result by the same rule.
//
// With ScanState::exactTransport on, Currency and Decimal travel instead as exact
// BLOBs (platform/com/ExactKey.h), which compare, sort and group as the numbers
// and need nothing remembered on the side; Money.h says how a statement then
// computes with them.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"

struct sqlite3;

namespace jet {

// What the scans of one connection leave for the statement's runner: the reader's
// error (a damaged file), to raise once sqlite3_step has failed; and the scale of
// each Decimal column seen ("table\ncolumn"), so that a value coming back as a
// REAL gets its column's scale again.
struct ScanState {
  std::optional<_com_error> pending;
  std::map<std::string, uint8_t> decimalScales;
  // Exact values of the rare Currency / Decimal values a REAL rounds, by that REAL.
  // Bounded: past the bound, such values come back rounded.
  static constexpr size_t kMaxInexact = 65536;
  std::map<double, int64_t> currencyByReal;
  std::map<double, DECIMAL> decimalByReal;
  // Currency and Decimal columns reach SQLite as exact BLOBs rather than REALs:
  // for statements whose translation computes with them so (Money.h).
  bool exactTransport = false;
};
std::string DecimalScaleKey(const std::string& table, const std::string& column);

extern const char kModuleName[];

// Registers the module on `db`; `state` must outlive the connection.
bool RegisterJetModule(sqlite3* db, std::shared_ptr<MdbFile> file, ScanState* state);

// The declared type of a column of Access type `type`, and back (false for a
// declared type that names no Access type, as for expressions).
const char* DeclaredTypeOf(AccessType type);
bool AccessTypeOfDeclared(const char* declared, AccessType* type);

}  // namespace jet
