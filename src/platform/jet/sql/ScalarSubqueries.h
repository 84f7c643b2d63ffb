// A subquery used as a value (Salary > (SELECT Budget FROM Dept), or a field of
// the select list) gives at most one row: Jet stops with its error 3354 where
// SQLite would quietly take the first row. So each such subquery that may give
// several rows reads through an aggregate that fails at the second. Internal to
// the SQL translation.
#pragma once
#include "platform/jet/sql/Ast.h"

struct sqlite3;

namespace jet { struct ScanState; }

namespace jet::sql {

// The lowered subquery `q` read through that aggregate, unless it gives one row
// whatever the data (an aggregate and no GROUP BY) or its select list is not
// one field.
void GuardScalarSubquery(Query* q);

// The aggregate, which leaves JET_E_SUBQUERYROWS in `state` for the runner.
bool RegisterSingleRowCheck(sqlite3* db, ScanState* state);

}  // namespace jet::sql
