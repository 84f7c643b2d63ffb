#include "platform/jet/file/Relationships.h"

#include <algorithm>
#include <map>
#include "platform/jet/file/JetText.h"

namespace jet {

namespace {

int Column(const TableDef& t, const char* name) {
  for (size_t i = 0; i < t.columns.size(); ++i)
    if (AsciiIEquals(t.columns[i].def.name, name)) return static_cast<int>(i);
  Damaged();
}

const std::string& Text(RowStream& rows, int col) {
  const VARIANT& v = rows.Value(col);
  if (v.vt != VT_BSTR || v.bstrVal.empty()) Damaged();
  return v.bstrVal;
}

long Number(RowStream& rows, int col) {
  const VARIANT& v = rows.Value(col);
  if (v.vt == VT_I4) return v.lVal;
  if (v.vt == VT_I2) return v.iVal;
  Damaged();
}

void LoseRelationship(SalvageLog* salvage, const std::string& name, Check check) {
  SalvageLoss loss;
  loss.what = SalvageLoss::What::Relationship;
  loss.table = "MSysRelationships";
  loss.check = check;
  loss.records = 0;
  loss.column = name;
  salvage->Add(std::move(loss));
}

}  // namespace

std::vector<RelationshipSchema> ReadRelationships(RowStream& rows, const TableDef& def, SalvageLog* salvage) {
  const int name = Column(def, "szRelationship"), grbit = Column(def, "grbit"), count = Column(def, "ccolumn"),
            place = Column(def, "icolumn"), table = Column(def, "szObject"), column = Column(def, "szColumn"),
            refTable = Column(def, "szReferencedObject"), refColumn = Column(def, "szReferencedColumn");
  struct Pairs {
    RelationshipSchema r;
    long count = 0;
    std::map<long, std::pair<std::string, std::string>> pairs;
  };
  std::map<std::string, Pairs> byName;
  // Salvage: the relationships a bad row belongs to ("" where it names none), by
  // the check that failed; they are left out whole.
  std::map<std::string, Check> broken;
  while (rows.Next()) {
    std::string key;
    try {
      key = Text(rows, name);
      Pairs& p = byName[key];
      RelationshipSchema& r = p.r;
      if (r.name.empty()) {
        r.name = key;
        r.table = Text(rows, table);
        r.referencedTable = Text(rows, refTable);
        const uint32_t bits = static_cast<uint32_t>(Number(rows, grbit));
        r.enforced = (bits & 0x2) == 0;
        r.cascadeUpdate = (bits & 0x100) != 0;
        r.cascadeDelete = (bits & 0x1000) != 0;
        r.cascadeNull = (bits & 0x2000) != 0;
        p.count = Number(rows, count);
        if (p.count < 1 || p.count > 10) Damaged();
      } else if (r.table != Text(rows, table) || r.referencedTable != Text(rows, refTable)) {
        Damaged();
      }
      const long at = Number(rows, place);
      if (at < 0 || at >= p.count) Damaged();
      if (!p.pairs.emplace(at, std::make_pair(Text(rows, column), Text(rows, refColumn))).second) Damaged();
    } catch (const Damage& d) {
      if (!salvage) throw;
      broken.emplace(key, d.check);
    } catch (const _com_error&) {  // a value of the wrong type, a name missing
      if (!salvage) throw;
      broken.emplace(key, Check::Catalog);
    }
  }
  std::vector<RelationshipSchema> out;
  for (auto& [key, p] : byName) {
    if (static_cast<long>(p.pairs.size()) != p.count && !broken.count(key)) {
      if (!salvage) Damaged();
      broken.emplace(key, Check::RecordsMissing);  // rows lost with a damaged page
    }
    if (broken.count(key)) continue;
    for (auto& [at, pair] : p.pairs) {
      p.r.columns.push_back(pair.first);
      p.r.referencedColumns.push_back(pair.second);
    }
    out.push_back(std::move(p.r));
  }
  for (const auto& [key, check] : broken) LoseRelationship(salvage, key, check);
  return out;
}

}  // namespace jet
