// MSysRelationships: one row per column pair of a relationship (szObject and
// szColumn the referencing side, szReferencedObject and szReferencedColumn the
// referenced one, icolumn the pair's place, grbit the rules).
#pragma once
#include <memory>
#include <vector>
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/TableDef.h"

namespace jet {

// The relationships whole, column pairs in their order, sorted by name. E_FAIL when
// the rows do not hold together (a pair missing, placed twice, or without names);
// with a salvage log, such a relationship is left out and written into the log.
std::vector<RelationshipSchema> ReadRelationships(RowStream& rows, const TableDef& def,
                                                  SalvageLog* salvage = nullptr);

}  // namespace jet
