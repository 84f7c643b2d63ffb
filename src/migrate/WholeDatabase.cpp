#include "migrate/WholeDatabase.h"

#include <initializer_list>
#include <set>
#include "export/TableStatement.h"
#include "platform/com/Translate.h"

namespace migrate {

void EachRow(const _ConnectionPtr& connection, const Table& table,
             const std::function<void(const VARIANT* const* values)>& onRow) {
  _RecordsetPtr r;
  _com_issue_errorex(r.CreateInstance("ADODB.Recordset"));
  r->Open(TableStatement("*", table.name), connection, ADODB::adOpenForwardOnly, ADODB::adLockReadOnly,
          ADODB::adCmdText);
  FieldsPtr fields = r->GetFields();
  std::vector<const VARIANT*> values(static_cast<size_t>(fields->GetCount()));
  while (!r->GetadoEOF()) {
    fields->PeekValues(values.data());
    onRow(values.data());
    r->MoveNext();
  }
  r->Close();
}

namespace {

std::string Filled(std::string format, std::initializer_list<const std::string*> parts) {
  for (const std::string* part : parts) format.replace(format.find("%s"), 2, *part);
  return format;
}

}  // namespace

std::vector<const Relationship*> ForeignKeys(const DatabaseSchema& schema, const WriteEvents& events) {
  std::vector<const Relationship*> out;
  for (const Relationship& r : schema.relationships) {
    std::string why = MissingPart(schema, r);
    if (why.empty() && r.enforced) {
      out.push_back(&r);
      continue;
    }
    if (!events.onNotice) continue;
    if (why.empty())
      events.onNotice(Filled(Translate("关系“%s”（%s → %s）未实施参照完整性，可能有孤立的记录：未写成外键"),
                             {&r.name, &r.table, &r.referencedTable}));
    else
      events.onNotice(Filled(Translate("关系“%s”（%s → %s）未写成外键：%s"), {&r.name, &r.table, &r.referencedTable, &why}));
  }
  return out;
}

namespace {

bool OverEntries(const Table& t, const Index& ix) {
  for (const auto& column : ix.columns) {
    const Column* c = t.Find(column.first);
    if (c && c->type == kComplex) return true;
  }
  return false;
}

std::set<std::string> ColumnSet(const Index& ix) {
  std::set<std::string> out;
  for (const auto& c : ix.columns) out.insert(c.first);
  return out;
}

}  // namespace

std::vector<const Index*> TargetIndexes(const Table& t) {
  std::vector<const Index*> out;
  for (const Index& ix : t.indexes)
    if (!ix.primaryKey && !ix.foreignKey && !OverEntries(t, ix)) out.push_back(&ix);
  for (const Index& ix : t.indexes) {
    if (!ix.foreignKey || !ix.unique || OverEntries(t, ix)) continue;
    bool covered = false;
    for (const Index& other : t.indexes)
      covered |= (other.primaryKey || (other.unique && !other.foreignKey)) && ColumnSet(other) == ColumnSet(ix);
    if (!covered) out.push_back(&ix);
  }
  return out;
}

std::string MissingPart(const DatabaseSchema& schema, const Relationship& r) {
  const Table* child = schema.Find(r.table);
  const Table* parent = schema.Find(r.referencedTable);
  for (const Table* t : {child, parent})
    if (!t) return Filled(Translate("数据表“%s”的定义已丢失"), {t == child ? &r.table : &r.referencedTable});
  for (size_t k = 0; k < r.columns.size(); ++k) {
    if (!child->Find(r.columns[k])) return Filled(Translate("%s 中没有字段“%s”"), {&r.table, &r.columns[k]});
    if (k >= r.referencedColumns.size() || !parent->Find(r.referencedColumns[k]))
      return Filled(Translate("%s 中没有被引用的字段"), {&r.referencedTable});
  }
  // A foreign key refers to columns the target keeps unique: its primary key or a
  // unique index (an index salvage left out may have been that one).
  const std::set<std::string> referenced(r.referencedColumns.begin(), r.referencedColumns.end());
  std::vector<const Index*> unique = TargetIndexes(*parent);
  if (const Index* pk = parent->PrimaryKey()) unique.push_back(pk);
  for (const Index* ix : unique)
    if ((ix->primaryKey || ix->unique) && ColumnSet(*ix) == referenced) return std::string();
  return Filled(Translate("%s 中被引用的字段没有唯一索引"), {&r.referencedTable});
}

std::string SqliteType(const Column& c) {
  switch (c.type) {
    case kBoolean: return "BOOLEAN";
    case kByte: return "TINYINT";
    case kInteger: return "SMALLINT";
    case kLong: return "INTEGER";
    case kBigInt: return "BIGINT";
    case kSingle: return "REAL";
    case kDouble: return "DOUBLE";
    // No declared type SQLite reads as numeric: a numeric column would turn the
    // exact text of a value with more than 15 digits into a rounded REAL.
    case kCurrency: return "DECIMAL_BLOB(19,4)";
    case kDecimal:
      if (c.precision == 0) return "DECIMAL_BLOB";  // a calculated column keeps none
      return "DECIMAL_BLOB(" + std::to_string(c.precision) + "," + std::to_string(c.scale) + ")";
    case kDateTime: case kDateTimeExtended: return "DATETIME";
    case kText: return c.length > 0 ? "VARCHAR(" + std::to_string(c.length) + ")" : "TEXT";
    case kMemo: case kComplex: return "TEXT";
    case kGuid: return "UUID_TEXT";
    default: return "BLOB";
  }
}

std::string PostgresqlType(const Column& c) {
  switch (c.type) {
    case kBoolean: return "boolean";
    case kByte: case kInteger: return "smallint";
    case kLong: return "integer";
    case kBigInt: return "bigint";
    case kSingle: return "real";
    case kDouble: return "double precision";
    case kCurrency: return "numeric(19,4)";
    case kDecimal:
      if (c.precision == 0 || c.scale > c.precision) return "numeric";
      return "numeric(" + std::to_string(c.precision) + "," + std::to_string(c.scale) + ")";
    // Date/Time Extended reaches 100 ns: kept as its text beyond microseconds.
    case kDateTime: return "timestamp(3)";
    case kDateTimeExtended: return "text";
    case kText: return c.length > 0 ? "varchar(" + std::to_string(c.length) + ")" : "text";
    case kMemo: case kComplex: return "text";
    case kGuid: return "uuid";
    default: return "bytea";
  }
}

}  // namespace migrate
