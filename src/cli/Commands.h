// The three things kelvane-export does; each returns the exit status.
#pragma once
#include "cli/Options.h"

// -l: the user tables, one a line, in the window's order.
int ListTables(const CliOptions& options);
// -l --queries: the saved queries and their kind, one a line.
int ListQueries(const CliOptions& options);
// --show-sql: a saved query's SQL.
int ShowSql(const CliOptions& options);
// TABLE or --sql: one export, to standard output or to the file -o names.
int ExportOne(const CliOptions& options);
// --all DIR: every user table into a file of its own in DIR.
int ExportAll(const CliOptions& options);
// --describe FILE [TABLE]: the tables' structure, as text or JSON.
int DescribeTables(const CliOptions& options);
// --sqlite OUT.db: the whole database into one SQLite file.
int WriteSqlite(const CliOptions& options);
// --postgresql OUT.sql: the whole database as one psql script.
int WritePostgresql(const CliOptions& options);
