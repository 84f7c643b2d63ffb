// MdbFile over our own page reader: the catalog is read once at open, table
// definitions on first use, rows streamed.
#include "platform/jet/file/MdbFile.h"

#include <map>
#include <optional>
#include <set>
#include "platform/jet/file/JetText.h"
#include "platform/jet/file/Catalog.h"
#include "platform/jet/file/ComplexColumns.h"
#include "platform/jet/file/Relationships.h"
#include "platform/jet/file/RowStream.h"
#include "platform/jet/file/TableSchema.h"
#include "platform/jet/file/SavedQuery.h"

namespace jet {
namespace {

std::shared_ptr<Pager> OpenPager(const std::string& path, const std::string& password,
                                 std::shared_ptr<SalvageLog> salvage) {
  auto pager = std::make_shared<Pager>(path);
  pager->Unlock(password);
  pager->SetSalvage(std::move(salvage));
  pager->CheckWholePages();
  return pager;
}

class MdbFileImpl : public MdbFile {
 public:
  MdbFileImpl(const std::string& path, const std::string& password, std::shared_ptr<SalvageLog> salvage)
      : m_pager(OpenPager(path, password, std::move(salvage))),
        m_codePage(std::make_shared<CodePageDecoder>(m_pager->CodePage())),
        m_objects(ReadCatalogObjects(m_pager, m_codePage)),
        m_catalog(TableLikeEntries(m_objects)),
        m_complex(std::make_shared<ComplexColumns>(m_pager, m_codePage, m_objects)) {
    // A catalog that does not list itself is not a catalog.
    bool self = false;
    for (const CatalogObject& o : m_objects)
      self |= o.type == 1 && (o.id & 0x00FFFFFF) == 2;
    if (!self && !m_pager->Salvage()) throw DamageError("MSysObjects", Check::Catalog, kNoPage, PageKind::Data);
    if (CatalogLostRows()) {
      RecoverTables(m_pager, *m_codePage, &m_objects);
      m_catalog = TableLikeEntries(m_objects);
    }
  }

  const std::vector<CatalogEntry>& Catalog() const override { return m_catalog; }
  int JetVersion() const override { return m_pager->Format().jet4 ? 4 : 3; }

  bool FindTable(const std::string& name, std::string* exactName,
                 std::vector<ColumnDef>* columns) override {
    const CatalogObject* o = Lookup(name, false);
    if (!o) return false;
    const TableDef& def = Definition(*o);
    if (exactName) *exactName = o->name;
    if (columns) {
      columns->clear();
      for (const ColumnLayout& c : def.columns) columns->push_back(c.def);
    }
    return true;
  }

  uint64_t RecordedRowCount(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    if (!o) throw _com_error(E_FAIL);
    return Definition(*o).rowCount;
  }

  std::unique_ptr<RowStream> Scan(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    if (!o) throw _com_error(E_FAIL);
    return std::make_unique<TableRows>(m_pager, DefinitionPtr(*o), m_codePage, m_complex);
  }

  std::unique_ptr<RowStream> ScanKeys(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    if (!o) throw _com_error(E_FAIL);
    return std::make_unique<TableRows>(m_pager, DefinitionPtr(*o), m_codePage);
  }

  TableSchema Schema(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    if (!o) throw _com_error(E_FAIL);
    // Salvage: the schema rowsets each build the schemas; a loss is told the first time.
    SalvageLog scratch;
    SalvageLog* salvage = m_pager->Salvage();
    if (salvage && !m_schemaTold.insert(o->id).second) salvage = &scratch;
    // The properties are read on the first request, in one pass over the catalog.
    if (!m_properties) m_properties = ReadAllProperties(m_pager, m_codePage, &m_damagedProperties);
    const TableDef& def = Definition(*o);
    if (m_damagedProperties.count(o->id)) {
      if (!salvage) throw DamageError(o->name, Check::Properties, kNoPage, PageKind::LongValue);
      {
        SalvageLoss loss;
        loss.what = SalvageLoss::What::Properties;
        loss.table = o->name;
        loss.kind = PageKind::LongValue;
        loss.check = Check::Properties;
        loss.records = 0;
        salvage->Add(std::move(loss));
      }
    }
    auto it = m_properties->find(o->id);
    static const TableProperties kNone;
    try {
      return BuildTableSchema(o->name, def, it == m_properties->end() ? kNone : it->second, *m_complex,
                              m_pager->Format().jet4, salvage);
    } catch (const Damage& d) {
      throw DamageError(o->name, d.check, d.page, d.kind);
    }
  }

  std::optional<TableSchema> SchemaOrLost(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    SalvageLog* salvage = m_pager->Salvage();
    if (!o || !salvage) return Schema(exactName);
    try {
      return Schema(exactName);
    } catch (const _com_error&) {
      auto lost = m_lostDefinitions.find(o->id);
      if (lost == m_lostDefinitions.end()) throw;
      if (!lost->second.told) {
        lost->second.told = true;
        SalvageLoss loss;
        loss.what = SalvageLoss::What::Table;
        loss.table = o->name;
        loss.page = lost->second.damage.page;
        loss.kind = lost->second.damage.kind;
        loss.check = lost->second.damage.check;
        salvage->Add(std::move(loss));
      }
      return std::nullopt;
    }
  }

  std::vector<RelationshipSchema> Relationships() override {
    const CatalogObject* o = Lookup("MSysRelationships", true);
    if (!o) return {};
    // Salvage: a lost definition of MSysRelationships costs every relationship.
    if (m_pager->Salvage() && !SchemaOrLost(o->name)) return {};
    auto def = DefinitionPtr(*o);
    TableRows rows(m_pager, def, m_codePage);
    return ReadRelationships(rows, *def, m_pager->Salvage());
  }

  long long RowCount(const std::string& exactName) override {
    const CatalogObject* o = Lookup(exactName, true);
    return o ? static_cast<long long>(Definition(*o).rowCount) : -1;
  }

  std::string SavedQuerySql(const std::string& name) override {
    for (const CatalogObject& o : m_objects) {
      if (o.type != 5 || !AsciiIEquals(o.name, name)) continue;
      const CatalogObject* queries = Lookup("MSysQueries", true);
      if (!queries) return std::string();
      try {
        TableRows rows(m_pager, DefinitionPtr(*queries), m_codePage);
        return RebuildSelect(rows, *DefinitionPtr(*queries), o.id, o.flags);
      } catch (const _com_error&) {
        return std::string();  // a query we cannot rebuild reads as one without text
      }
    }
    return std::string();
  }

  std::vector<SavedQueryEntry> SavedQueries() const override {
    std::vector<SavedQueryEntry> out;
    for (const CatalogObject& o : m_objects)
      if (o.type == 5 && !o.name.empty() && o.name[0] != '~') out.push_back({o.name, o.flags});
    return out;
  }

  bool HasSavedQuery(const std::string& name) override {
    for (const CatalogObject& o : m_objects)
      if (o.type == 5 && AsciiIEquals(o.name, name)) return true;
    return false;
  }

 private:
  // Salvage: whether rows of MSysObjects itself were lost, and tables with them.
  bool CatalogLostRows() const {
    const SalvageLog* log = m_pager->Salvage();
    if (!log) return false;
    for (const SalvageLoss& l : log->Losses())
      if (l.table == "MSysObjects") return true;
    return false;
  }

  const CatalogObject* Lookup(const std::string& name, bool exact) const {
    for (const CatalogObject& o : m_objects) {
      if (o.type != 1) continue;
      if (exact ? o.name == name : AsciiIEquals(o.name, name)) return &o;
    }
    return nullptr;
  }
  std::shared_ptr<const TableDef> DefinitionPtr(const CatalogObject& o) {
    auto it = m_defs.find(o.id);
    if (it != m_defs.end()) return it->second;
    const uint32_t page = DefinitionPage(m_objects, o);
    auto read = std::make_shared<TableDef>();
    try {
      *read = ReadTableDef(*m_pager, page, *m_codePage);
    } catch (const Damage& d) {
      m_lostDefinitions.emplace(o.id, LostDefinition{d, false});
      throw DamageError(o.name, d.check, d.page, d.kind);
    }
    read->name = o.name;
    std::shared_ptr<const TableDef> def = std::move(read);
    m_defs.emplace(o.id, def);
    return def;
  }
  const TableDef& Definition(const CatalogObject& o) { return *DefinitionPtr(o); }

  std::shared_ptr<const Pager> m_pager;
  std::shared_ptr<CodePageDecoder> m_codePage;
  std::vector<CatalogObject> m_objects;
  std::vector<CatalogEntry> m_catalog;
  std::shared_ptr<ComplexColumns> m_complex;
  std::map<uint32_t, std::shared_ptr<const TableDef>> m_defs;
  std::optional<std::map<uint32_t, TableProperties>> m_properties;
  std::set<uint32_t> m_damagedProperties;  // catalog ids whose properties blob fails
  struct LostDefinition {
    Damage damage;
    bool told;  // salvage: written into the log
  };
  std::map<uint32_t, LostDefinition> m_lostDefinitions;  // catalog ids whose definition fails
  std::set<uint32_t> m_schemaTold;  // salvage: catalog ids whose schema losses are logged
};

}  // namespace

std::shared_ptr<MdbFile> MdbFile::Open(const std::string& path, const std::string& password,
                                       std::shared_ptr<SalvageLog> salvage) {
  try {
    return std::make_shared<MdbFileImpl>(path, password, std::move(salvage));
  } catch (const _com_error&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw _com_error(E_FAIL);  // a length out of the file that slipped past the checks
  } catch (const std::length_error&) {
    throw _com_error(E_FAIL);
  }
}

}  // namespace jet
