// What an ACE file keeps for its complex columns besides the column itself: the
// system tables MSysComplexColumns (one row per complex column: its name, its
// complex id, the template table of its kind, its table and its flat table), the
// templates MSysComplexType_Text, _Long and _Attachment, and one
// hidden flat table per complex column whose rows are the column's entries, each
// carrying the key that the owning row holds in the column.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "support/JetWriter.h"

namespace jetwriter {

struct ComplexTables {
  std::vector<Table> system;  // MSysComplexColumns and the templates
  std::vector<Table> flat;    // one per complex column, in table and column order
};

// The key of row `row` in every complex column of its table.
inline int32_t ComplexKey(uint64_t row) { return int32_t(row + 1); }

// `firstId` is the catalog id the first of `system` gets; the user tables and then
// the flat tables follow it, each table's id one more than the one before, as the
// writer lays them out. Runs the tables' entry generators.
ComplexTables BuildComplexTables(const std::vector<Table>& tables, int32_t firstId);

// Catalog flags Access gives the hidden tables, and a table that has complex columns.
constexpr uint32_t kFlatTableFlags = 0x800A0000u, kTemplateFlags = 0x80030000u,
                   kHasComplexFlag = 0x00040000u;

}  // namespace jetwriter
