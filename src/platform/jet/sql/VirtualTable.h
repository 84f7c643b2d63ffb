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
//   Date/Time                     REAL day number (OLE calendar)
//   Currency, Decimal             exact BLOBs (platform/com/ExactKey.h), which
//                                 compare, sort and group as the numbers; Money.h
//                                 says how a statement computes with them
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
// each Decimal column seen ("table\ncolumn"), so that a value, which an exact
// BLOB carries at its smallest scale, gets its column's scale again.
struct ScanState {
  std::optional<_com_error> pending;
  std::map<std::string, uint8_t> decimalScales;
  // Currency and Decimal columns reach SQLite as exact BLOBs, as every translated
  // statement expects; off, as the REALs nearest them, for raw SQL that wants
  // plain numbers.
  bool exactTransport = true;
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
