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

}  // namespace

std::vector<RelationshipSchema> ReadRelationships(RowStream& rows, const TableDef& def) {
  const int name = Column(def, "szRelationship"), grbit = Column(def, "grbit"), count = Column(def, "ccolumn"),
            place = Column(def, "icolumn"), table = Column(def, "szObject"), column = Column(def, "szColumn"),
            refTable = Column(def, "szReferencedObject"), refColumn = Column(def, "szReferencedColumn");
  struct Pairs {
    RelationshipSchema r;
    long count = 0;
    std::map<long, std::pair<std::string, std::string>> pairs;
  };
  std::map<std::string, Pairs> byName;
  while (rows.Next()) {
    Pairs& p = byName[Text(rows, name)];
    RelationshipSchema& r = p.r;
    if (r.name.empty()) {
      r.name = Text(rows, name);
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
  }
  std::vector<RelationshipSchema> out;
  for (auto& [key, p] : byName) {
    if (static_cast<long>(p.pairs.size()) != p.count) Damaged();
    for (auto& [at, pair] : p.pairs) {
      p.r.columns.push_back(pair.first);
      p.r.referencedColumns.push_back(pair.second);
    }
    out.push_back(std::move(p.r));
  }
  return out;
}

}  // namespace jet
