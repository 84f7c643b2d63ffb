// The indexes a table definition holds after its column names: physical entries
// (the columns and their order, unique / ignore-nulls / required flags), then logical
// entries (the indexes Access shows, each naming the physical entry it uses; type 1
// is the primary key, 2 the index a relationship made), then the logical names.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/jet/file/Pager.h"

namespace jet {

class CodePageDecoder;

struct IndexColumnRef {
  uint16_t number = 0;  // the column's number (its null-mask bit)
  bool descending = false;
};

struct IndexEntry {
  std::string name;  // UTF-8
  std::vector<IndexColumnRef> columns;
  bool primaryKey = false;
  bool foreignKey = false;  // made by an enforced relationship, not by the user
  bool unique = false;
  bool ignoreNulls = false;
  bool required = false;
};

// Reads `logical` logical and `physical` physical entries from b at *pos (moved past
// the names). E_FAIL when they do not fit the definition or name a physical entry,
// or a column slot, that is not there.
std::vector<IndexEntry> ReadIndexEntries(const JetFormat& f, const std::vector<uint8_t>& b, size_t* pos,
                                         uint32_t physical, uint32_t logical, CodePageDecoder& names);

}  // namespace jet
