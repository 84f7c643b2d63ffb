#include "migrate/WholeDatabase.h"

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

std::vector<const Relationship*> ForeignKeys(const DatabaseSchema& schema, const WriteEvents& events) {
  std::vector<const Relationship*> out;
  for (const Relationship& r : schema.relationships) {
    if (r.enforced) {
      out.push_back(&r);
    } else if (events.onNotice) {
      std::string line = Translate("关系“%s”（%s → %s）未实施参照完整性，可能有孤立的记录：未写成外键");
      for (const std::string* part : {&r.name, &r.table, &r.referencedTable}) line.replace(line.find("%s"), 2, *part);
      events.onNotice(line);
    }
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
