// Damages a copy of a database file, one family at a time, for salvage's tests and
// measurements: the kinds of harm a file on a network share or a crash in the
// middle of a write leaves. It works on the file's bytes (plain pages only: no
// scrambled or encrypted file), and finds its targets by the pages' own headers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace damager {

enum class Family {
  ZeroedPage,      // a data page of a table, all zeros
  SwappedPage,     // a data page of a table exchanged with one of another table
  RowOffsets,      // every other row offset of a data page pointing past the page
  UsageMap,        // a table's usage map of a kind no reader knows
  LongValuePage,   // a long-value (LVAL) page, all zeros: its chains are broken
  CatalogPage,     // a data page of MSysObjects, all zeros
  // Beyond the families of rows: the schema the whole-database outputs read.
  TableDefinition,  // the definition page of a table with rows, all zeros
};
// The families that damage rows, values and maps (not TableDefinition).
extern const Family kFamilies[6];
const char* FamilyName(Family family);

struct File {
  std::vector<uint8_t> bytes;
  uint32_t pageSize = 4096;
  bool jet4 = true;
  uint32_t Pages() const { return static_cast<uint32_t>(bytes.size() / pageSize); }
  uint8_t* Page(uint32_t page) { return bytes.data() + static_cast<size_t>(page) * pageSize; }
  const uint8_t* Page(uint32_t page) const { return bytes.data() + static_cast<size_t>(page) * pageSize; }
};

// Reads the file; throws std::runtime_error for one that is not a plain Jet file.
File Load(const std::string& path);
void Save(const File& file, const std::string& path);

// The pages a family can damage, in file order: data pages of tables other than
// the catalog, their definitions (UsageMap), LVAL pages, the catalog's data pages.
std::vector<uint32_t> Targets(const File& file, Family family);
// Damages `target` (one of Targets) as the family says.
void Damage(File& file, Family family, uint32_t target);

// The table-definition page that owns a data page (its header's owner field).
uint32_t OwnerOf(const File& file, uint32_t page);
// Live rows (not marked deleted) on a data page.
uint32_t LiveRows(const File& file, uint32_t page);

}  // namespace damager
