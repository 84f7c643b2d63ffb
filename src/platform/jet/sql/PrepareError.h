// What SQLite's refusal to prepare a translated statement means in Jet's codes.
// The translator has already refused what it can judge (syntax, unknown tables
// and functions, mismatched types); what is left is what only SQLite finds, in
// the order it finds it: mostly a column no source has. The code and the name
// come from SQLite's result code, the place in the statement where it stopped
// (sqlite3_error_offset) and what the translator knows of the statement's names,
// never from the words of SQLite's message, which another SQLite may word anew.
#pragma once
#include <string>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Translate.h"

struct sqlite3;

namespace jet {

// `sql` is the text that failed to prepare on `db`, `shape` its statement's.
// JET_E_NOCOLUMN naming the column (as "q.name" when qualified) or the function
// SQLite does not have; JET_E_SYNTAX for the rest (an ambiguous name, a function
// called wrongly, selects of a UNION that do not match), near the token SQLite
// stopped at where that is no name; E_OUTOFMEMORY when memory ran out.
_com_error PrepareError(sqlite3* db, const std::string& sql, const StatementShape& shape);

}  // namespace jet
