// The .mdb file as the provider reads it: its catalog, its tables' columns, and
// streams of rows whose fields are decoded into VARIANTs by our own code.
// libmdb is used for pages, table definitions and cracking rows only.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/com/Variant.h"

namespace jet {

enum class ObjectType { Table, SystemTable, View, Link };

struct CatalogEntry {
  std::string name;  // UTF-8
  ObjectType type;
};

// Access column types, as the file stores them (the values of libmdb's MDB_* codes).
enum class AccessType : int {
  Boolean = 0x01, Byte = 0x02, Integer = 0x03, LongInteger = 0x04, Currency = 0x05,
  Single = 0x06, Double = 0x07, DateTime = 0x08, Binary = 0x09, Text = 0x0A,
  OleObject = 0x0B, Memo = 0x0C, ReplicationId = 0x0F, Decimal = 0x10,
};

struct ColumnDef {
  std::string name;  // UTF-8
  AccessType type;
  int size = 0;           // declared length in bytes (Text: 2 per character in Jet 4)
  uint8_t precision = 0;  // Decimal only
  uint8_t scale = 0;      // Decimal only: digits after the point
};

// One pass over the rows of one table. Several streams may be open at once, also
// on the same table (a self-join); each keeps its own position.
class RowStream {
 public:
  virtual ~RowStream() = default;
  // Moves to the next live row; false at the end. Throws _com_error(E_FAIL) when
  // the file turns out to be damaged.
  virtual bool Next() = 0;
  // The value of column `col` (0-based, in ColumnDef order) of the current row.
  virtual const VARIANT& Value(int col) = 0;
};

class MdbFile {
 public:
  virtual ~MdbFile() = default;
  // Opens and checks the file. Throws _com_error: E_FAIL for a file that is missing,
  // unreadable, a directory, not a Jet file or damaged; JET_E_PASSWORD when the
  // database has a password.
  static std::shared_ptr<MdbFile> Open(const std::string& path);

  // Every table-like catalog object (tables, system tables, saved queries, links).
  virtual const std::vector<CatalogEntry>& Catalog() const = 0;
  // Finds a table (user or system) by name without regard to ASCII case; false when
  // there is none. On success fills its exact name and columns.
  virtual bool FindTable(const std::string& name, std::string* exactName,
                         std::vector<ColumnDef>* columns) = 0;
  // A fresh stream over the rows of a table FindTable found.
  virtual std::unique_ptr<RowStream> Scan(const std::string& exactName) = 0;
  // The SQL text of a saved select query (a VIEW of the catalog), or empty.
  virtual std::string SavedQuerySql(const std::string& name) = 0;
  // 3 for Access 97 files, 4 for Access 2000-2003 files.
  virtual int JetVersion() const = 0;
};

}  // namespace jet
