// What both whole-database writers share: the run's callbacks and the walk over
// the rows of each table through the ADO layer.
#pragma once
#include <functional>
#include <string>
#include "migrate/Schema.h"
#include "platform/ado/Ado.h"

namespace migrate {

struct WriteEvents {
  // Now and then while a table's rows are written: its name, rows so far, and
  // the count its definition records.
  std::function<void(const std::string& table, long rows)> onRows;
  // A thing of the source that the target does not get whole, with the reason:
  // a relationship Access does not enforce, a query that is no view.
  std::function<void(const std::string& line)> onNotice;
};

// Calls onRow with the values of every row of `table` (SELECT * through a fresh
// Recordset), in the table's column order. Throws _com_error.
void EachRow(const _ConnectionPtr& connection, const Table& table,
             const std::function<void(const VARIANT* const* values)>& onRow);

// The relationships that become foreign keys: the enforced ones whose tables and
// columns the target has, their referenced columns unique. Reports the others.
std::vector<const Relationship*> ForeignKeys(const DatabaseSchema& schema, const WriteEvents& events);
// Why a relationship cannot be a foreign key of the target (a table or column is
// gone, its referenced columns not unique), in a phrase; empty when it can.
std::string MissingPart(const DatabaseSchema& schema, const Relationship& r);

// The indexes of a table the target gets beside its primary key: the user's own
// (not those over a multi-value or attachment column, whose entries go to a child
// table), and a unique one a relationship made where no other unique index has
// its columns: a foreign key needs its referenced columns unique.
std::vector<const Index*> TargetIndexes(const Table& t);

// The target's type of a column (SQLite or PostgreSQL).
std::string SqliteType(const Column& c);
std::string PostgresqlType(const Column& c);

}  // namespace migrate
