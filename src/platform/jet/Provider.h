// The Jet OLE DB provider as the ADO layer sees it: open a database file, list its
// table-like objects, run one Jet SQL statement and walk its result.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>
#include "platform/com/Variant.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/Parameters.h"
#include "platform/jet/sql/ResultCursor.h"

namespace jet {

class MdbFile;
class SalvageLog;

struct SchemaTableRow {
  std::string tableName;  // UTF-8
  std::string tableType;  // "TABLE", "SYSTEM TABLE", "VIEW" or "LINK"
};

// A table and the row count its definition records (OLE DB's statistics rowset).
struct SchemaStatisticsRow {
  std::string tableName;            // UTF-8
  std::optional<uint64_t> rows;     // none when the definition cannot be read
};

// A saved query: its name, its kind ("select", "union", "crosstab", "parameter" or
// "action") and its SQL (empty where it cannot be rebuilt: action queries).
struct SchemaProcedureRow {
  std::string name;  // UTF-8
  std::string kind;
  std::string definition;
};

class Database {
 public:
  virtual ~Database() = default;
  // Throws _com_error with the codes of the platform notes (E_FAIL, JET_E_PASSWORD).
  // password: the database password (UTF-8), empty when none is given. With a
  // salvage log the file is read in salvage mode: damage is written into the log and
  // read past (platform/jet/file/SalvageLog.h).
  static std::shared_ptr<Database> Open(const std::string& path, const std::string& password = {},
                                        std::shared_ptr<SalvageLog> salvage = nullptr);
  // The same over a reader already opened (or a stand-in for one, in tests).
  static std::shared_ptr<Database> OpenOver(std::shared_ptr<MdbFile> file);
  // One row per table-like object, ordered by type, then by name without regard to case.
  virtual std::vector<SchemaTableRow> Tables() = 0;
  // One row per table (user and system), in Tables()' order, with the row count
  // its definition records; reading the definitions, not the rows.
  virtual std::vector<SchemaStatisticsRow> Statistics() { return {}; }
  // The saved queries (OLE DB's procedures rowset), by name without regard to case.
  virtual std::vector<SchemaProcedureRow> Procedures() { return {}; }
  // The schema of every table (user and system), in Tables()' order: columns with
  // their properties, indexes. E_FAIL, naming the table, for one whose schema
  // the file does not hold whole; in salvage mode such a table (or index, or
  // properties blob) is left out and its loss written into the log.
  virtual std::vector<TableSchema> Schemas() { return {}; }
  // Each saved select query (the VIEW rows of Tables()) with the SQL text it was
  // saved with, rebuilt; empty where it cannot be rebuilt.
  virtual std::vector<std::pair<std::string, std::string>> Views() { return {}; }
  // The relationships between the tables, enforced or not.
  virtual std::vector<RelationshipSchema> Relationships() { return {}; }
  // A table's rows in scan order, multi-value and attachment columns as their
  // keys (ColumnSchema::entriesKey). E_FAIL for a name that is no table's.
  virtual std::unique_ptr<Cursor> TableKeys(const std::string& table) {
    (void)table;
    throw _com_error(E_FAIL);
  }
  // Runs a Jet SQL statement. Throws _com_error: JET_E_EMPTYSTATEMENT, JET_E_SYNTAX,
  // JET_E_NOTABLE, JET_E_NOCOLUMN, E_FAIL. The cursor keeps the database alive.
  virtual std::unique_ptr<Cursor> Execute(const std::string& jetSql) = 0;
  // Called now and then while one step of a statement runs long (a big sort before
  // its first row, a filter passing over many rows), so that the caller's window
  // stays alive as it does between rows. It must not throw; empty stops the calls.
  virtual void WhileStepping(std::function<void()> alive) { (void)alive; }
  // The values of the parameters that saved queries ask for, bound into each saved
  // query a statement reads, at any depth, before it is translated (Parameters.h).
  // A declared parameter still without a value fails, naming it.
  virtual void SetParameterValues(ParameterValues values) { (void)values; }
};

}  // namespace jet
