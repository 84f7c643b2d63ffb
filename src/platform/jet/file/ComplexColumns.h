// Multi-value and attachment columns (.accdb). The row holds only a key; the entries
// live in a hidden "flat" table, found through MSysComplexColumns by the column's
// complex id, one row per entry with the key in its column "_<column name>".
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "platform/jet/file/Catalog.h"
#include "platform/jet/file/TableDef.h"

namespace jet {

class ComplexColumns {
 public:
  ComplexColumns(std::shared_ptr<const Pager> pager, std::shared_ptr<CodePageDecoder> codePage,
                 const std::vector<CatalogObject>& objects);
  // The value of key `key` of complex column `complexId`: the texts of its entries
  // joined by ", " (an attachment's entry is its file name, a multi-value one its value,
  // a version history one the text kept), or null when it has none. Each column's
  // flat table is read once, on first use. Damage (Check::Entries) when the tables do
  // not hold together.
  const std::string* Find(uint32_t complexId, int32_t key);
  // The name of the table that holds the entries of complex column `complexId`, and
  // of its column holding the row's key. E_FAIL as Find.
  std::string EntriesTable(uint32_t complexId, std::string* keyColumn);

 private:
  using Texts = std::unordered_map<int32_t, std::string>;
  Texts ReadFlatTable(uint32_t complexId);
  // The flat table's definition page and its definition.
  std::shared_ptr<const TableDef> FlatTable(uint32_t complexId, uint32_t* page);
  static int KeyColumn(const TableDef& flat);

  std::shared_ptr<const Pager> m_pager;
  std::shared_ptr<CodePageDecoder> m_codePage;
  // The tables of the catalog: MSysComplexColumns and the flat tables are read only
  // through definitions that the catalog gives to one table each.
  std::vector<CatalogObject> m_tables;
  std::map<uint32_t, Texts> m_columns;
  // Columns whose tables turned out damaged: each of their values is damage, found
  // once. Their tables are read strictly even in salvage mode, so that a value never
  // lacks an entry without a word.
  std::map<uint32_t, uint32_t> m_damaged;  // complex id -> definition of the table that failed
  uint32_t m_reading = 0;                  // the definition being read
};

}  // namespace jet
