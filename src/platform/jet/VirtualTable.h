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
//   Binary, OLE Object            BLOB
// Each column is declared with a type name that names its Access type, so that
// sqlite3_column_decltype tells the cursor how to turn the value back.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/com/ComError.h"
#include "platform/jet/MdbFile.h"

struct sqlite3;

namespace jet {

// Where a scan leaves the reader's error (a damaged file), for the statement's
// runner to raise once sqlite3_step has failed.
struct ScanErrors {
  std::optional<_com_error> pending;
};

extern const char kModuleName[];

// Registers the module on `db`; `errors` must outlive the connection.
bool RegisterJetModule(sqlite3* db, std::shared_ptr<MdbFile> file, ScanErrors* errors);

// The declared type of a column of Access type `type`, and back (false for a
// declared type that names no Access type, as for expressions).
const char* DeclaredTypeOf(AccessType type);
bool AccessTypeOfDeclared(const char* declared, AccessType* type);

}  // namespace jet
