// The schema rowsets of tables' structure, as OLE DB defines their columns:
// adSchemaColumns, adSchemaIndexes, adSchemaPrimaryKeys, adSchemaForeignKeys.
// Beyond OLE DB's columns, each ends with a few of the provider's own (named
// JET_...), for what Access keeps and OLE DB has no column for.
#pragma once
#include <memory>
#include "platform/ado/RowsCursor.h"
#include "platform/jet/Provider.h"

namespace ado {

// OLE DB's type of a column of each Access type (DBTYPE_...).
int OleDbType(jet::AccessType t);

// One row per column of every table, by table, in column order. After OLE DB's
// columns: JET_TYPE (the Access type code, I2), JET_AUTONUMBER (BOOL), and for
// multi-value and attachment columns JET_ENTRIES_TABLE and JET_ENTRIES_KEY.
std::unique_ptr<RowsCursor> ColumnsRowset(jet::Database& db);
// One row per column of every index (COLLATION 1 ascending, 2 descending), then
// JET_FOREIGN_KEY: the index an enforced relationship made.
std::unique_ptr<RowsCursor> IndexesRowset(jet::Database& db);
// One row per column of every primary key.
std::unique_ptr<RowsCursor> PrimaryKeysRowset(jet::Database& db);
// One row per column pair of every relationship (ORDINAL from 1; UPDATE_RULE and
// DELETE_RULE "CASCADE", "SET NULL" or "NO ACTION"), then JET_ENFORCED: whether
// Access checks it (one it does not may hold orphans).
std::unique_ptr<RowsCursor> ForeignKeysRowset(jet::Database& db);

// One row per saved select query: TABLE_NAME and VIEW_DEFINITION, its Jet SQL as
// saved (NULL where it cannot be rebuilt).
std::unique_ptr<RowsCursor> ViewsRowset(jet::Database& db);

}  // namespace ado
