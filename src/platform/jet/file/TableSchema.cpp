#include "platform/jet/file/TableSchema.h"

#include "platform/jet/file/JetText.h"
#include "platform/jet/file/RowStream.h"

namespace jet {

namespace {

const ObjectProperties* ColumnProperties(const TableProperties& props, const std::string& column) {
  for (const auto& [name, p] : props.columns)
    if (AsciiIEquals(name, column)) return &p;
  return nullptr;
}

const std::string& ColumnName(const TableDef& def, uint16_t number) {
  for (const ColumnLayout& c : def.columns)
    if (c.number == number) return c.def.name;
  Damaged();  // an index over a column the table does not have
}

}  // namespace

TableSchema BuildTableSchema(const std::string& name, const TableDef& def, const TableProperties& props,
                             ComplexColumns& complex, bool jet4) {
  if (!def.indexesRead) Damaged();
  TableSchema t;
  t.name = name;
  t.description = props.table.description;
  for (const ColumnLayout& c : def.columns) {
    ColumnSchema col;
    col.def = c.def;
    if (c.def.type == AccessType::Text) col.length = jet4 ? c.def.size / 2 : c.def.size;
    if (c.def.type == AccessType::Binary) col.length = c.def.size;
    if (const ObjectProperties* p = ColumnProperties(props, c.def.name)) {
      col.required = p->required;
      col.defaultValue = p->defaultValue;
      col.description = p->description;
    }
    if (c.def.type == AccessType::Complex) col.entriesTable = complex.EntriesTable(c.complexId, &col.entriesKey);
    t.columns.push_back(std::move(col));
  }
  for (const IndexEntry& e : def.indexes) {
    IndexSchema ix;
    ix.name = e.name;
    ix.primaryKey = e.primaryKey;
    ix.foreignKey = e.foreignKey;
    ix.unique = e.unique;
    ix.ignoreNulls = e.ignoreNulls;
    ix.required = e.required;
    for (const IndexColumnRef& r : e.columns) ix.columns.push_back({ColumnName(def, r.number), r.descending});
    if (ix.columns.empty()) Damaged();
    t.indexes.push_back(std::move(ix));
  }
  return t;
}

std::map<uint32_t, TableProperties> ReadAllProperties(const std::shared_ptr<const Pager>& pager,
                                                      const std::shared_ptr<CodePageDecoder>& codePage) {
  auto def = std::make_shared<TableDef>(ReadTableDef(*pager, 2, *codePage));
  int id = -1, type = -1, blob = -1;
  for (size_t i = 0; i < def->columns.size(); ++i) {
    const std::string& n = def->columns[i].def.name;
    if (AsciiIEquals(n, "Id")) id = static_cast<int>(i);
    if (AsciiIEquals(n, "Type")) type = static_cast<int>(i);
    if (AsciiIEquals(n, "LvProp")) blob = static_cast<int>(i);
  }
  std::map<uint32_t, TableProperties> out;
  if (id < 0 || type < 0 || blob < 0) return out;  // a catalog without properties
  TableRows rows(pager, def, codePage);
  while (rows.Next()) {
    const VARIANT& t = rows.Value(type);
    const VARIANT& i = rows.Value(id);
    if (t.vt != VT_I2 || t.iVal != 1 || i.vt != VT_I4) continue;
    const VARIANT& b = rows.Value(blob);
    if (b.vt != (VT_ARRAY | VT_UI1)) continue;
    out.emplace(static_cast<uint32_t>(i.lVal), ParseProperties(b.parray, pager->Format().jet4, *codePage));
  }
  return out;
}

}  // namespace jet
