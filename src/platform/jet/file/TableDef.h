// A table's definition as its TDEF pages give it: columns and where each lives in a
// row, and the pointer to the map of the pages the table owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/jet/file/IndexEntries.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Pager.h"

namespace jet {

class CodePageDecoder;

struct ColumnLayout {
  ColumnDef def;
  uint16_t number = 0;       // bit in the null mask (deleted columns keep theirs)
  uint16_t varIndex = 0;     // entry in the row's variable-column offset table
  uint16_t fixedOffset = 0;  // offset in the fixed part, after the column count
  uint16_t size = 0;         // bytes of a fixed column
  bool fixed = false;
  // A calculated column keeps its last result beside the row's own values, wrapped:
  // 16 bytes, the result's length, the result, 3 bytes.
  bool calculated = false;
  uint32_t complexId = 0;    // Complex columns: their row in MSysComplexColumns
};

struct TableDef {
  std::string name;  // as the catalog names it (UTF-8), for the place of damage
  uint32_t tdefPage = 0;
  uint32_t rowCount = 0;      // as the definition records it
  uint16_t varColumnCount = 0;
  uint32_t usageMapPointer = 0;  // data pointer (page << 8 | row) of the usage map
  std::vector<ColumnLayout> columns;  // in column-number order
  // The indexes, logical entries in the definition's order. A definition whose
  // index entries do not hold together still gives its rows: indexesRead is then
  // false, and only the schema of the table is refused.
  std::vector<IndexEntry> indexes;
  bool indexesRead = false;
};

// Reads the definition starting at tdefPage (following its continuation pages).
// Jet 3 names are decoded with `names`. Damage (Check::TableDefinition, naming
// tdefPage) when it does not hold together: also
// for a column name that is empty, holds a NUL or repeats another without regard to
// case, and for two columns of one number.
TableDef ReadTableDef(const Pager& pager, uint32_t tdefPage, CodePageDecoder& names);

// The pages a table owns, from its usage map, in increasing order: in a sound file,
// data pages of this table only (the row stream checks each as it reads it). Damage
// (Check::UsageMap) when the map cannot be read or leads outside the file.
std::vector<uint32_t> ReadTablePages(const Pager& pager, const TableDef& table);

// Every data page of the file whose owner is the definition on `tdefPage`, in file
// order, reading each page of the file once: what salvage reads in place of a usage
// map that cannot be read. (A sound file may also hold pages a table once owned and
// gave up, rows and all: only a lost map is worth that risk.) Adds the records the
// pages hold to *liveRows.
std::vector<uint32_t> PagesOwnedBy(const Pager& pager, uint32_t tdefPage, uint64_t* liveRows);

}  // namespace jet
