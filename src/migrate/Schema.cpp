#include "migrate/Schema.h"

#include <map>
#include "db/UserTables.h"

namespace migrate {

namespace {

std::string Str(const _RecordsetPtr& r, const char* column) {
  VARIANT v = r->GetCollect(column);
  return v.vt == VT_BSTR ? v.bstrVal : std::string();
}
std::optional<std::string> OptStr(const _RecordsetPtr& r, const char* column) {
  VARIANT v = r->GetCollect(column);
  if (v.vt == VT_BSTR) return v.bstrVal;
  return std::nullopt;
}
long Num(const _RecordsetPtr& r, const char* column) {
  VARIANT v = r->GetCollect(column);
  if (v.vt == VT_I2) return v.iVal;
  if (v.vt == VT_I4) return v.lVal;
  return 0;
}
bool Flag(const _RecordsetPtr& r, const char* column) {
  VARIANT v = r->GetCollect(column);
  return v.vt == VT_BOOL && v.boolVal != 0;
}

// Walks one schema rowset, closing it after its last row.
template <class F>
void EachRow(const _ConnectionPtr& connection, ADODB::SchemaEnum schema, F&& f) {
  _RecordsetPtr r = connection->OpenSchema(schema);
  while (!r->GetadoEOF()) {
    f(r);
    r->MoveNext();
  }
  r->Close();
}

}  // namespace

const Index* Table::PrimaryKey() const {
  for (const Index& ix : indexes)
    if (ix.primaryKey) return &ix;
  return nullptr;
}

const Column* Table::Find(const std::string& column) const {
  for (const Column& c : columns)
    if (c.name == column) return &c;
  return nullptr;
}

const Table* DatabaseSchema::FindEntries(const std::string& table) const {
  for (const Table& t : entries)
    if (t.name == table) return &t;
  return nullptr;
}

const Table* DatabaseSchema::Find(const std::string& table) const {
  for (const Table& t : tables)
    if (t.name == table) return &t;
  return nullptr;
}

DatabaseSchema ReadSchema(const _ConnectionPtr& connection) {
  DatabaseSchema schema;
  std::map<std::string, size_t> at;
  _RecordsetPtr tables;
  ListUserTables(connection, tables, [&](const std::string& name) {
    // Access's hidden work tables (~TMP...) are no user tables.
    if (name.compare(0, 1, "~") == 0) return;
    at[name] = schema.tables.size();
    schema.tables.push_back(Table{name, std::nullopt, {}, {}});
  });
  std::map<std::string, std::vector<Column>> others;  // the columns of system tables
  EachRow(connection, ADODB::adSchemaColumns, [&](const _RecordsetPtr& r) {
    const std::string table = Str(r, "TABLE_NAME");
    auto t = at.find(table);
    Column c;
    c.name = Str(r, "COLUMN_NAME");
    c.type = static_cast<int>(Num(r, "JET_TYPE"));
    c.length = static_cast<int>(Num(r, "CHARACTER_MAXIMUM_LENGTH"));
    c.precision = static_cast<int>(Num(r, "NUMERIC_PRECISION"));
    c.scale = static_cast<int>(Num(r, "NUMERIC_SCALE"));
    c.required = !Flag(r, "IS_NULLABLE");
    c.autoNumber = Flag(r, "JET_AUTONUMBER");
    c.defaultValue = OptStr(r, "COLUMN_DEFAULT");
    c.description = OptStr(r, "DESCRIPTION");
    c.entriesTable = Str(r, "JET_ENTRIES_TABLE");
    c.entriesKey = Str(r, "JET_ENTRIES_KEY");
    if (t == at.end()) others[table].push_back(std::move(c));
    else schema.tables[t->second].columns.push_back(std::move(c));
  });
  for (const Table& t : schema.tables)
    for (const Column& c : t.columns)
      if (!c.entriesTable.empty() && others.count(c.entriesTable) && !schema.FindEntries(c.entriesTable))
        schema.entries.push_back(Table{c.entriesTable, std::nullopt, others[c.entriesTable], {}});
  EachRow(connection, ADODB::adSchemaIndexes, [&](const _RecordsetPtr& r) {
    auto t = at.find(Str(r, "TABLE_NAME"));
    if (t == at.end()) return;
    std::vector<Index>& indexes = schema.tables[t->second].indexes;
    const std::string name = Str(r, "INDEX_NAME");
    if (Num(r, "ORDINAL_POSITION") == 1 || indexes.empty() || indexes.back().name != name) {
      Index ix;
      ix.name = name;
      ix.primaryKey = Flag(r, "PRIMARY_KEY");
      ix.unique = Flag(r, "UNIQUE");
      ix.foreignKey = Flag(r, "JET_FOREIGN_KEY");
      indexes.push_back(std::move(ix));
    }
    indexes.back().columns.emplace_back(Str(r, "COLUMN_NAME"), Num(r, "COLLATION") == 2);
  });
  EachRow(connection, ADODB::adSchemaForeignKeys, [&](const _RecordsetPtr& r) {
    const std::string table = Str(r, "FK_TABLE_NAME"), referenced = Str(r, "PK_TABLE_NAME");
    if (!at.count(table) || !at.count(referenced)) return;
    if (Num(r, "ORDINAL") == 1 || schema.relationships.empty()) {
      Relationship rel;
      rel.name = Str(r, "FK_NAME");
      rel.table = table;
      rel.referencedTable = referenced;
      rel.updateRule = Str(r, "UPDATE_RULE");
      rel.deleteRule = Str(r, "DELETE_RULE");
      rel.enforced = Flag(r, "JET_ENFORCED");
      schema.relationships.push_back(std::move(rel));
    }
    schema.relationships.back().columns.push_back(Str(r, "FK_COLUMN_NAME"));
    schema.relationships.back().referencedColumns.push_back(Str(r, "PK_COLUMN_NAME"));
  });
  EachRow(connection, ADODB::adSchemaViews, [&](const _RecordsetPtr& r) {
    const std::string name = Str(r, "TABLE_NAME");
    // ~sq_... are the statements behind forms and reports, no queries of the user.
    if (name.compare(0, 1, "~") != 0) schema.queries.emplace_back(name, OptStr(r, "VIEW_DEFINITION"));
  });
  // A table without columns is one whose definition salvage left out (the log
  // tells it): the target gets no table of it, and a relationship with it is
  // reported where the foreign keys are made.
  std::vector<Table> kept;
  for (Table& t : schema.tables)
    if (!t.columns.empty()) kept.push_back(std::move(t));
  schema.tables = std::move(kept);
  return schema;
}

std::string TypeName(const Column& c) {
  switch (c.type) {
    case kBoolean: return "Yes/No";
    case kByte: return "Byte";
    case kInteger: return "Integer";
    case kLong: return c.autoNumber ? "AutoNumber" : "Long Integer";
    case kCurrency: return "Currency";
    case kSingle: return "Single";
    case kDouble: return "Double";
    case kDateTime: return "Date/Time";
    case kBinary: return "Binary";
    case kText: return "Text";
    case kOle: return "OLE Object";
    case kMemo: return "Memo";
    case kGuid: return c.autoNumber ? "AutoNumber (Replication ID)" : "Replication ID";
    case kDecimal: return "Decimal";
    case kComplex: return "Multi-value / Attachment";
    case kBigInt: return "Large Number";
    case kDateTimeExtended: return "Date/Time Extended";
    default: return "Binary";
  }
}

}  // namespace migrate
