#include "platform/jet/file/Catalog.h"

#include <algorithm>
#include <set>
#include "platform/jet/file/JetText.h"
#include "platform/jet/file/RowStream.h"

namespace jet {

// The catalog's entries do not hold together: no table can be trusted to be where it
// says, so this is damage of MSysObjects as a whole.
[[noreturn]] static void CatalogDamaged() {
  throw DamageError("MSysObjects", Check::Catalog, kNoPage, PageKind::Data);
}

static int ColumnIndex(const TableDef& t, const char* name) {
  for (size_t i = 0; i < t.columns.size(); ++i)
    if (AsciiIEquals(t.columns[i].def.name, name)) return static_cast<int>(i);
  CatalogDamaged();  // a catalog without these columns is no Jet catalog
}

static bool IsTableLike(const CatalogObject& o) {
  return o.type == 1 || o.type == 4 || o.type == 5 || o.type == 6;
}

// Tables, queries and links share one set of names in Jet: each has one, not empty,
// without NUL, and no two alike without regard to case. A catalog that breaks this
// cannot say which object a statement names: it is damaged.
static void CheckTableLikeNames(const std::vector<CatalogObject>& objects) {
  std::vector<const std::string*> names;
  for (const CatalogObject& o : objects) {
    if (!IsTableLike(o)) continue;
    if (!IsObjectName(o.name)) CatalogDamaged();
    names.push_back(&o.name);
  }
  if (HasRepeatedName(names)) CatalogDamaged();
}

std::vector<CatalogObject> ReadCatalogObjects(const std::shared_ptr<const Pager>& pager,
                                              const std::shared_ptr<CodePageDecoder>& codePage) {
  auto def = std::make_shared<TableDef>();
  try {
    *def = ReadTableDef(*pager, 2, *codePage);
  } catch (const Damage& d) {
    throw DamageError("MSysObjects", d.check, d.page, d.kind);
  }
  def->name = "MSysObjects";
  const int id = ColumnIndex(*def, "Id"), name = ColumnIndex(*def, "Name"),
            type = ColumnIndex(*def, "Type"), flags = ColumnIndex(*def, "Flags");
  TableRows rows(pager, def, codePage);
  std::vector<CatalogObject> out;
  while (rows.Next()) {
    const VARIANT& n = rows.Value(name);
    const VARIANT& t = rows.Value(type);
    const VARIANT& i = rows.Value(id);
    if (t.vt != VT_I2 || i.vt != VT_I4) continue;
    CatalogObject o;
    o.type = t.iVal;  // forms, reports and macros have the top bit set: no tables
    if (n.vt != VT_BSTR) {
      if (IsTableLike(o)) CatalogDamaged();  // a table or query without a name
      continue;
    }
    o.name = n.bstrVal;
    o.id = static_cast<uint32_t>(i.lVal);
    const VARIANT& fl = rows.Value(flags);
    o.flags = fl.vt == VT_I4 ? static_cast<uint32_t>(fl.lVal) : 0;
    out.push_back(std::move(o));
  }
  CheckTableLikeNames(out);
  return out;
}

void RecoverTables(const std::shared_ptr<const Pager>& pager, CodePageDecoder& codePage,
                   std::vector<CatalogObject>* objects) {
  std::set<uint32_t> named = {2};
  for (const CatalogObject& o : *objects)
    if (o.type == 1) named.insert(o.id & 0x00FFFFFF);
  // Every definition page of the file, read once; a page another one continues into
  // is no definition's first page.
  std::vector<uint32_t> definitions;
  std::set<uint32_t> continued;
  constexpr uint32_t kRun = 64;
  std::vector<uint8_t> run(static_cast<size_t>(kRun) * pager->PageSize());
  for (uint32_t first = 1; first < pager->PageCount(); first += kRun) {
    const uint32_t count = std::min(kRun, pager->PageCount() - first);
    pager->ReadRun(first, count, run.data());
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* page = run.data() + static_cast<size_t>(i) * pager->PageSize();
      if (page[0] != 0x02) continue;
      definitions.push_back(first + i);
      if (Get32(page + 4) != 0) continued.insert(Get32(page + 4));
    }
  }
  for (uint32_t page : definitions) {
    if (named.count(page) || continued.count(page)) continue;
    try {
      ReadTableDef(*pager, page, codePage);
    } catch (const _com_error&) {
      continue;  // not a definition that holds together: nothing to recover
    }
    CatalogObject o;
    o.name = "recovered_" + std::to_string(page);
    o.type = 1;
    o.id = page;
    objects->push_back(std::move(o));
  }
}

bool IsSystemObject(const CatalogObject& o) {
  return AsciiIEquals(o.name.substr(0, 4), "MSys") || (o.flags & 0x80000002u) != 0;
}

uint32_t DefinitionPage(const std::vector<CatalogObject>& objects, const CatalogObject& table) {
  const uint32_t page = table.id & 0x00FFFFFF;
  auto shared = [&] { throw DamageError(table.name, Check::Catalog, page, PageKind::TableDefinition); };
  if (page == 2 && table.name != "MSysObjects") shared();
  int owners = 0;
  for (const CatalogObject& o : objects) owners += o.type == 1 && (o.id & 0x00FFFFFF) == page;
  if (owners != 1) shared();
  return page;
}

std::vector<CatalogEntry> TableLikeEntries(const std::vector<CatalogObject>& objects) {
  std::vector<CatalogEntry> out;
  for (const CatalogObject& o : objects) {
    switch (o.type) {
      case 1:
        out.push_back({o.name, IsSystemObject(o) ? ObjectType::SystemTable : ObjectType::Table});
        break;
      case 4:
      case 6:
        out.push_back({o.name, ObjectType::Link});
        break;
      case 5:
        // The query's kind sits in bits 4-7 of its flags: 0 is a select query. Action,
        // crosstab, union and pass-through queries are no views.
        if ((o.flags & 0xF0) == 0) out.push_back({o.name, ObjectType::View});
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace jet
