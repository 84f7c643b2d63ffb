// The structure of a whole database, as the provider's schema rowsets give it:
// the user tables with their columns and indexes, and the relationships between
// them. What the SQLite and PostgreSQL writers and --describe work from.
#pragma once
#include <optional>
#include <string>
#include <vector>
#include "platform/ado/Ado.h"

namespace migrate {

// Access column types, by the code the file stores (the rowset's JET_TYPE).
enum AccessTypeCode {
  kBoolean = 0x01, kByte = 0x02, kInteger = 0x03, kLong = 0x04, kCurrency = 0x05, kSingle = 0x06,
  kDouble = 0x07, kDateTime = 0x08, kBinary = 0x09, kText = 0x0A, kOle = 0x0B, kMemo = 0x0C,
  kGuid = 0x0F, kDecimal = 0x10, kComplex = 0x12, kBigInt = 0x13, kDateTimeExtended = 0x14
};

struct Column {
  std::string name;
  int type = kText;   // an AccessTypeCode
  int length = 0;     // Text: characters; Binary: bytes
  int precision = 0, scale = 0;  // Decimal
  bool required = false;
  bool autoNumber = false;
  std::optional<std::string> defaultValue;  // the Access expression as typed
  std::optional<std::string> description;
  std::string entriesTable, entriesKey;  // multi-value and attachment columns
};

struct Index {
  std::string name;
  std::vector<std::pair<std::string, bool>> columns;  // name, descending
  bool primaryKey = false, unique = false;
  bool foreignKey = false;  // made by a relationship: not the user's own
};

struct Table {
  std::string name;
  std::optional<std::string> description;
  std::vector<Column> columns;
  std::vector<Index> indexes;
  const Index* PrimaryKey() const;
  const Column* Find(const std::string& column) const;
};

struct Relationship {
  std::string name, table, referencedTable;
  std::vector<std::string> columns, referencedColumns;
  std::string updateRule, deleteRule;  // "CASCADE", "SET NULL", "NO ACTION"
  bool enforced = false;
};

struct DatabaseSchema {
  std::vector<Table> tables;  // user tables, in the list's order
  std::vector<Relationship> relationships;  // between user tables
  // The saved select queries with their Jet SQL (none where it cannot be rebuilt).
  std::vector<std::pair<std::string, std::optional<std::string>>> queries;
  // The hidden tables that hold multi-value and attachment entries, by name.
  std::vector<Table> entries;
  const Table* Find(const std::string& table) const;
  const Table* FindEntries(const std::string& table) const;
};

// Reads the schema rowsets of the open connection. Throws _com_error.
DatabaseSchema ReadSchema(const _ConnectionPtr& connection);

// The name of an Access type as Access's table design shows it ("Long Integer").
std::string TypeName(const Column& c);

}  // namespace migrate
