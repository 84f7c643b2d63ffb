#include "platform/jet/file/ComplexColumns.h"

#include "platform/jet/file/JetText.h"
#include "platform/jet/file/RowStream.h"

namespace jet {

static int FindColumn(const TableDef& t, const std::string& name) {
  for (size_t i = 0; i < t.columns.size(); ++i)
    if (AsciiIEquals(t.columns[i].def.name, name)) return static_cast<int>(i);
  return -1;
}

static bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && AsciiIEquals(s.substr(s.size() - tail.size()), tail);
}

ComplexColumns::ComplexColumns(std::shared_ptr<const Pager> pager,
                               std::shared_ptr<CodePageDecoder> codePage,
                               const std::vector<CatalogObject>& objects)
    : m_pager(std::move(pager)), m_codePage(std::move(codePage)) {
  for (const CatalogObject& o : objects)
    if (o.type == 1) m_tables.push_back(o);
}

// The definition page of the table named so, or of the one whose definition is on
// `page`, checked as the catalog gives it; E_FAIL when there is none.
static uint32_t TableDefinition(const std::vector<CatalogObject>& tables, const char* name, uint32_t page) {
  for (const CatalogObject& o : tables)
    if (name ? o.name == name : (o.id & 0x00FFFFFF) == page) return DefinitionPage(tables, o);
  Damaged(Check::TableDefinition);
}

// The definition with its catalog name, which damage in its rows names.
static std::shared_ptr<const TableDef> Named(TableDef def, const std::vector<CatalogObject>& tables) {
  for (const CatalogObject& o : tables)
    if ((o.id & 0x00FFFFFF) == def.tdefPage) def.name = o.name;
  return std::make_shared<const TableDef>(std::move(def));
}

const std::string* ComplexColumns::Find(uint32_t complexId, int32_t key) {
  auto column = m_columns.find(complexId);
  if (column == m_columns.end()) {
    auto damaged = m_damaged.find(complexId);
    if (damaged != m_damaged.end()) Damaged(Check::Entries, damaged->second, PageKind::TableDefinition);
    m_reading = kNoPage;
    try {
      column = m_columns.emplace(complexId, ReadFlatTable(complexId)).first;
    } catch (const _com_error& e) {
      if (!e.IsDamage()) throw;
      m_damaged.emplace(complexId, m_reading);
      Damaged(Check::Entries, m_reading, PageKind::TableDefinition);
    }
  }
  auto entry = column->second.find(key);
  return entry == column->second.end() ? nullptr : &entry->second;
}

std::shared_ptr<const TableDef> ComplexColumns::FlatTable(uint32_t complexId, uint32_t* page) {
  const uint32_t registryPage = TableDefinition(m_tables, "MSysComplexColumns", 0);
  m_reading = registryPage;
  auto registry = Named(ReadTableDef(*m_pager, registryPage, *m_codePage), m_tables);
  const int flatCol = FindColumn(*registry, "FlatTableID"), idCol = FindColumn(*registry, "ComplexID");
  if (flatCol < 0 || idCol < 0) Damaged(Check::TableDefinition);
  uint32_t flatPage = 0;
  TableRows rows(m_pager, registry, m_codePage, nullptr, false);
  while (rows.Next()) {
    const VARIANT& id = rows.Value(idCol);
    if (id.vt != VT_I4 || static_cast<uint32_t>(id.lVal) != complexId) continue;
    const VARIANT& flat = rows.Value(flatCol);
    if (flat.vt != VT_I4) Damaged(Check::TableDefinition);
    flatPage = static_cast<uint32_t>(flat.lVal) & 0x00FFFFFF;
    break;
  }
  if (flatPage == 0) Damaged(Check::TableDefinition);
  *page = TableDefinition(m_tables, nullptr, flatPage);
  m_reading = *page;
  return Named(ReadTableDef(*m_pager, *page, *m_codePage), m_tables);
}

// The flat table: the key column "_<column>", its own counter "<table>_<column>",
// and the entry's fields. Both names keep the column's first name when it has been
// renamed since.
int ComplexColumns::KeyColumn(const TableDef& flat) {
  for (size_t i = 0; i < flat.columns.size(); ++i)
    if (flat.columns[i].def.name.compare(0, 1, "_") == 0) return static_cast<int>(i);
  Damaged(Check::TableDefinition);
}

std::string ComplexColumns::EntriesTable(uint32_t complexId, std::string* keyColumn) {
  uint32_t page = 0;
  auto flat = FlatTable(complexId, &page);
  *keyColumn = flat->columns[KeyColumn(*flat)].def.name;
  for (const CatalogObject& o : m_tables)
    if ((o.id & 0x00FFFFFF) == page) return o.name;
  Damaged(Check::TableDefinition);
}

ComplexColumns::Texts ComplexColumns::ReadFlatTable(uint32_t complexId) {
  // An attachment is named by FileName; any other entry is its first remaining
  // field ("Value" for a multi-value column).
  uint32_t page = 0;
  auto flat = FlatTable(complexId, &page);
  const int keyCol = KeyColumn(*flat);
  const std::string keyName = flat->columns[keyCol].def.name;
  int valueCol = FindColumn(*flat, "FileName");
  for (size_t i = 0; valueCol < 0 && i < flat->columns.size(); ++i)
    if (!EndsWith(flat->columns[i].def.name, keyName)) valueCol = static_cast<int>(i);
  if (valueCol < 0) Damaged(Check::TableDefinition);
  Texts texts;
  TableRows entries(m_pager, flat, m_codePage, nullptr, false);
  std::string text;
  while (entries.Next()) {
    const VARIANT& key = entries.Value(keyCol);
    if (key.vt != VT_I4 || VariantToText(entries.Value(valueCol), &text) != S_OK) continue;
    auto [it, fresh] = texts.try_emplace(key.lVal, text);
    if (!fresh) it->second.append(", ").append(text);
  }
  return texts;
}

}  // namespace jet
