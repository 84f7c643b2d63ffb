// Multi-value and attachment columns as child tables: "<table>_<column>", one row
// per entry, keyed to its row by the parent's primary key (a foreign key that
// cascades), or by the parent's row number where it has none ("_row", the SQLite
// rowid the parent row got). An attachment's row holds its file's bytes.
#pragma once
#include <functional>
#include <vector>
#include "migrate/Schema.h"

namespace migrate {

struct ChildTable {
  Table table;         // the parent's key columns, then the entry's own columns
  Relationship link;   // to the parent; its table is empty when the parent has no key
  const Table* parent = nullptr;
  const Column* column = nullptr;
  const Table* entries = nullptr;
};

// One for each multi-value or attachment column of a user table, named so that
// no two tables of the target share a name.
std::vector<ChildTable> ChildTables(const DatabaseSchema& schema);

// The child table's rows, in its column order. Throws _com_error.
void EachChildRow(const _ConnectionPtr& connection, const ChildTable& child,
                  const std::function<void(const VARIANT* const* values)>& onRow);

// An attachment's file bytes out of the FileData Access keeps: a header, then the
// file, deflated when the header says so. Returns false when the value is not
// laid out so; the stored bytes are then kept as they are.
bool AttachmentBytes(const std::vector<uint8_t>& stored, std::vector<uint8_t>* file);

}  // namespace migrate
