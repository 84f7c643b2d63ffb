// The two pages that describe a file: a table's definition page (TDEF) and the
// database definition page, page 0.
#pragma once
#include <cstdint>
#include <vector>
#include "support/jetwriter/Rows.h"

namespace jetwriter {

struct TableFacts {
  bool system = false;
  uint32_t rowCount = 0;
  uint32_t usageMap = 0;  // row pointer to the map of the table's data pages
  uint32_t freeMap = 0;   // row pointer to the map of its pages with free space
};

// A TDEF page: the header, one 25-byte entry per column, the UTF-16LE column names,
// no indexes. Throws std::runtime_error when it would need more than one page.
std::vector<uint8_t> TableDefinitionPage(const TableLayout& layout, const TableFacts& facts);

// Page 0: "Standard Jet DB", version byte 0x01 (Jet 4), and the header area masked
// with RC4 as Jet does: code page 1252, database key 0 (no page encryption), an
// empty password (the creation-date mask alone), General sort order, creation date.
std::vector<uint8_t> DatabaseDefinitionPage(double created);

}  // namespace jetwriter
