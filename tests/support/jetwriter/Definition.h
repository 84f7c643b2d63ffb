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
  uint32_t nextComplexKey = 0;  // ACE: the key the next row's complex values would get
};

// A TDEF page: the header, one 25-byte entry per column, the UTF-16LE column names,
// no indexes. Throws std::runtime_error when it would need more than one page.
std::vector<uint8_t> TableDefinitionPage(const TableLayout& layout, const TableFacts& facts);

// Page 0: "Standard Jet DB" with version byte 0x01 (Jet 4), or "Standard ACE DB"
// with 2 to 6, and the header area masked with RC4 as Jet does: code page 1252,
// the page-scrambling key (0: none), an empty password (the creation-date mask
// alone), General sort order, creation date.
std::vector<uint8_t> DatabaseDefinitionPage(double created, FileFormat format);

}  // namespace jetwriter
