// The cursor over one prepared SQLite statement: it stands on the first row once
// made, names its columns as Jet does, and turns each value back into the VARIANT
// Jet would give (a plain column keeps its Access type; an expression the type
// the translator found for it).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/jet/sql/ResultCursor.h"
#include "platform/jet/sql/SqliteStatement.h"
#include "platform/jet/sql/Translate.h"
#include "platform/jet/sql/VirtualTable.h"

struct sqlite3_stmt;

namespace jet {

// Takes the statement (finalised with the cursor, or at once when making it fails). `owner` keeps the connection
// and `state` alive as long as the cursor. With `tieKeys` hidden key columns at
// the end, the cursor ends after `tieLimit` rows once the keys differ from the
// last of them (Jet's TOP n with ties). `types` are the translator's types of the
// columns, for those that are no plain column. Throws _com_error when the first
// step fails.
std::unique_ptr<Cursor> MakeSqlCursor(std::shared_ptr<void> owner, SqliteStatement stmt, ScanState* state,
                                      int tieKeys = 0, long long tieLimit = -1,
                                      const ResultTypes* types = nullptr);

// A cursor that reads a plain select straight from the reader: `columns` are the
// stream's column indices in result order, `names` their result names, `types`
// their Access types, `limit` the TOP n or -1. Throws _com_error when reading the
// first row fails.
std::unique_ptr<Cursor> MakeDirectCursor(std::shared_ptr<void> owner, std::unique_ptr<RowStream> stream,
                                         std::vector<int> columns, std::vector<std::string> names,
                                         std::vector<int> types, long long limit);

// The names of the first `count` result columns of a prepared statement, as Jet
// names them: Expr1000, Expr1001... for unnamed expressions, and a name that
// comes twice qualified by its table (by the table's alias, where `types`, the
// translator's, give one).
std::vector<std::string> ResultColumnNames(sqlite3_stmt* stmt, int count, const ResultTypes* types = nullptr);

// The error of a failed step: the reader's own (its code and description) when a
// scan failed, else E_OUTOFMEMORY or E_FAIL.
_com_error StepError(int rc, ScanState* state);

}  // namespace jet
