// The .mdb file as the provider reads it: its catalog, its tables' columns, and
// streams of rows whose fields are decoded into VARIANTs. This header is the
// reader's whole public face: the SQL engine and the provider see nothing else of it.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "platform/jet/file/SalvageLog.h"

namespace jet {

enum class ObjectType { Table, SystemTable, View, Link };

struct CatalogEntry {
  std::string name;  // UTF-8
  ObjectType type;
};

// A saved query and its kind as MSysObjects' Flags name it (the high nibble of the
// low byte: 0 select, 0x10 crosstab, 0x20-0x60 action and data definition, 0x70
// pass-through, 0x80 union).
struct SavedQueryEntry {
  std::string name;  // UTF-8
  uint32_t flags = 0;
};

// Access column types, as the file stores them (the values of libmdb's MDB_* codes).
enum class AccessType : int {
  Boolean = 0x01, Byte = 0x02, Integer = 0x03, LongInteger = 0x04, Currency = 0x05,
  Single = 0x06, Double = 0x07, DateTime = 0x08, Binary = 0x09, Text = 0x0A,
  OleObject = 0x0B, Memo = 0x0C, ReplicationId = 0x0F, Decimal = 0x10,
  // .accdb only. A multi-value or attachment column: its value is the text of its
  // entries (values, or attachments' file names) joined by ", ", NULL when it has none.
  Complex = 0x12,
  BigInt = 0x13,            // Large Number: VT_I8
  DateTimeExtended = 0x14,  // VT_DATE where it fits, else text down to 100 ns
};

struct ColumnDef {
  std::string name;  // UTF-8
  AccessType type;
  int size = 0;           // declared length in bytes (Text: 2 per character in Jet 4)
  uint8_t precision = 0;  // Decimal only
  uint8_t scale = 0;      // Decimal only: digits after the point
  bool autoNumber = false;  // Long Integer or Replication ID the engine fills in
};

// A column as the schema shows it: its definition and its properties.
struct ColumnSchema {
  ColumnDef def;
  int length = 0;  // Text: the most characters it holds (Jet 4 keeps 2 bytes each); Binary: bytes
  bool required = false;
  std::optional<std::string> defaultValue;  // the DefaultValue expression as typed in Access
  std::optional<std::string> description;
  // Multi-value and attachment columns: the hidden table of their entries and its
  // column that holds the key the row's own field holds (ScanKeys gives it).
  std::string entriesTable, entriesKey;
};

struct IndexColumn {
  std::string name;
  bool descending = false;
};

struct IndexSchema {
  std::string name;
  std::vector<IndexColumn> columns;
  bool primaryKey = false;
  bool foreignKey = false;  // the index an enforced relationship made
  bool unique = false;
  bool ignoreNulls = false;
  bool required = false;
};

struct TableSchema {
  std::string name;
  std::optional<std::string> description;
  std::vector<ColumnSchema> columns;  // in ColumnDef order
  std::vector<IndexSchema> indexes;
};

// A relationship: `table`'s columns refer to `referencedTable`'s, pair by pair.
struct RelationshipSchema {
  std::string name, table, referencedTable;
  std::vector<std::string> columns, referencedColumns;
  bool enforced = false;  // Access checks its referential integrity
  bool cascadeUpdate = false, cascadeDelete = false, cascadeNull = false;
};

// One pass over the rows of one table. Several streams may be open at once, also
// on the same table (a self-join); each keeps its own position.
class RowStream {
 public:
  virtual ~RowStream() = default;
  // Moves to the next live row; false at the end. Throws _com_error(E_FAIL) when
  // the file turns out to be damaged, also in place of that false when the pass read
  // fewer rows than the table records (the rows given before stay good).
  virtual bool Next() = 0;
  // The value of column `col` (0-based, in ColumnDef order) of the current row,
  // decoded on first request. The reference stays valid until the next Next().
  // Throws _com_error(E_FAIL) off a row, for a bad column or a damaged value.
  virtual const VARIANT& Value(int col) = 0;
  // The values of columns cols[0..n) of the current row into out[0..n), as Value
  // gives them, in one call: an export reads every row so.
  virtual void Values(const int* cols, size_t n, const VARIANT** out) {
    for (size_t i = 0; i < n; ++i) out[i] = &Value(cols[i]);
  }
  // Where the current row lies in the file, as a number that MoveTo on any stream
  // of the same table goes back to (an index keeps it instead of the row); -1 off
  // a row, or where the stream cannot go back (its rows can then only be scanned).
  virtual int64_t Position() const { return -1; }
  // Stands on the row at `position` (from Position), with the values a scan gives
  // it; Next() then goes on from there. Throws _com_error(E_FAIL) when no live row
  // of the table lies there.
  virtual void MoveTo(int64_t position) {
    (void)position;
    throw _com_error(E_FAIL);
  }
};

// One MdbFile and its streams belong to one thread. Streams keep the file open, so
// they may outlive the MdbFile object that made them.
class MdbFile {
 public:
  virtual ~MdbFile() = default;
  // Opens and checks the file, with its database password (UTF-8; empty: none).
  // Throws _com_error: E_FAIL for a file that is missing, unreadable, a directory,
  // not a Jet file or damaged (also its encryption header); JET_E_PASSWORD when the
  // database has a password and this is not it. With a salvage log, the file is read
  // in salvage mode (SalvageLog.h): damage past its header is written into the log,
  // not raised.
  static std::shared_ptr<MdbFile> Open(const std::string& path, const std::string& password = {},
                                       std::shared_ptr<SalvageLog> salvage = nullptr);

  // Every table-like catalog object (tables, system tables, saved queries, links),
  // in catalog order.
  virtual const std::vector<CatalogEntry>& Catalog() const = 0;
  // Finds a table (user or system) by name without regard to ASCII case; false when
  // there is none (queries and links are no tables here). On success fills its exact
  // name and columns (either pointer may be null). E_FAIL for a damaged definition.
  virtual bool FindTable(const std::string& name, std::string* exactName,
                         std::vector<ColumnDef>* columns) = 0;
  // The row count a table's definition records (exact name, as FindTable gives it),
  // without reading its rows: a measure of progress, not a promise. E_FAIL when
  // there is no such table or its definition is damaged.
  virtual uint64_t RecordedRowCount(const std::string& exactName) {
    (void)exactName;
    throw _com_error(E_FAIL);
  }
  // A fresh stream over the rows of a table FindTable found (E_FAIL for any other
  // name). Rows come in page order; a row moved to another page keeps its place.
  virtual std::unique_ptr<RowStream> Scan(const std::string& exactName) = 0;
  // The number of rows the table's definition records (Jet keeps it as rows come
  // and go): what a query planner may count on, not a promise. -1 when unknown.
  virtual long long RowCount(const std::string& exactName) {
    (void)exactName;
    return -1;
  }
  // The schema of a table FindTable found (exact name): columns with their
  // properties, indexes. E_FAIL when there is no such table or what it needs of the
  // file is damaged.
  virtual TableSchema Schema(const std::string& exactName) {
    (void)exactName;
    throw _com_error(E_FAIL);
  }
  // As Schema; but in salvage mode a table whose definition is lost is written into
  // the log, and none is returned.
  virtual std::optional<TableSchema> SchemaOrLost(const std::string& exactName) { return Schema(exactName); }
  // Every relationship of MSysRelationships, enforced or not; none when the file
  // has no such table. E_FAIL when its rows do not hold together.
  virtual std::vector<RelationshipSchema> Relationships() { return {}; }
  // As Scan, but a multi-value or attachment column reads as its key (VT_I4): the
  // key the rows of its entries table hold in ColumnSchema::entriesKey.
  virtual std::unique_ptr<RowStream> ScanKeys(const std::string& exactName) { return Scan(exactName); }
  // The SQL text of a saved select, union or crosstab query, rebuilt from
  // MSysQueries, or empty when there is none or it cannot be rebuilt.
  virtual std::string SavedQuerySql(const std::string& name) = 0;
  // Every saved query a user made, in catalog order (not the hidden ~sq_ queries
  // behind forms and reports).
  virtual std::vector<SavedQueryEntry> SavedQueries() const { return {}; }
  // Whether a saved query of that name exists, of any kind (matched without regard
  // to ASCII case), rebuildable or not.
  virtual bool HasSavedQuery(const std::string& name) { return !SavedQuerySql(name).empty(); }
  // 3 for Access 97 files, 4 for Access 2000-2003 files and for .accdb files (Access
  // 2007-2019), which keep Jet 4's layout.
  virtual int JetVersion() const = 0;
};

}  // namespace jet
