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

const std::string* ColumnName(const TableDef& def, uint16_t number) {
  for (const ColumnLayout& c : def.columns)
    if (c.number == number) return &c.def.name;
  return nullptr;
}

// An index left out in salvage: the table keeps its columns and rows.
void LoseIndex(SalvageLog* salvage, const TableDef& def, const std::string& index) {
  SalvageLoss loss;
  loss.what = SalvageLoss::What::Index;
  loss.table = def.name;
  loss.page = def.tdefPage;
  loss.kind = PageKind::TableDefinition;
  loss.check = Check::Indexes;
  loss.records = 0;
  loss.column = index;
  salvage->Add(std::move(loss));
}

}  // namespace

TableSchema BuildTableSchema(const std::string& name, const TableDef& def, const TableProperties& props,
                             ComplexColumns& complex, bool jet4, SalvageLog* salvage) {
  if (!def.indexesRead) {
    if (!salvage) Damaged(Check::Indexes, def.tdefPage, PageKind::TableDefinition);
    LoseIndex(salvage, def, std::string());
  }
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
    bool whole = !e.columns.empty();
    for (const IndexColumnRef& r : e.columns) {
      const std::string* column = ColumnName(def, r.number);  // null: a column the table does not have
      if (column) ix.columns.push_back({*column, r.descending});
      whole = whole && column;
    }
    if (!whole) {
      if (!salvage) Damaged(Check::Indexes, def.tdefPage, PageKind::TableDefinition);
      LoseIndex(salvage, def, e.name);
      continue;
    }
    t.indexes.push_back(std::move(ix));
  }
  return t;
}

std::map<uint32_t, TableProperties> ReadAllProperties(const std::shared_ptr<const Pager>& pager,
                                                      const std::shared_ptr<CodePageDecoder>& codePage,
                                                      std::set<uint32_t>* damaged) {
  auto def = std::make_shared<TableDef>(ReadTableDef(*pager, 2, *codePage));
  def->name = "MSysObjects";  // the place of its damage
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
    try {
      out.emplace(static_cast<uint32_t>(i.lVal), ParseProperties(b.parray, pager->Format().jet4, *codePage));
    } catch (const _com_error&) {
      damaged->insert(static_cast<uint32_t>(i.lVal));
    }
  }
  return out;
}

}  // namespace jet
