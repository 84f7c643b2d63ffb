#include "platform/ado/SchemaRowsets.h"

namespace ado {

namespace {

using Row = std::vector<VARIANT>;

VARIANT I2(int n) {
  VARIANT v;
  v.vt = VT_I2;
  v.iVal = static_cast<int16_t>(n);
  return v;
}
VARIANT Text(const std::optional<std::string>& s) { return s ? VARIANT::Str(*s) : VARIANT::Null(); }

}  // namespace

int OleDbType(jet::AccessType t) {
  using jet::AccessType;
  switch (t) {
    case AccessType::Boolean: return 11;
    case AccessType::Byte: return 17;
    case AccessType::Integer: return 2;
    case AccessType::LongInteger: return 3;
    case AccessType::Currency: return 6;
    case AccessType::Single: return 4;
    case AccessType::Double: return 5;
    case AccessType::DateTime: return 7;
    case AccessType::DateTimeExtended: return 7;
    case AccessType::ReplicationId: return 72;
    case AccessType::Decimal: return 131;
    case AccessType::BigInt: return 20;
    case AccessType::Text: case AccessType::Memo: case AccessType::Complex: return 130;
    default: return 128;  // Binary, OLE Object
  }
}

namespace {

bool IsLong(jet::AccessType t) {
  return t == jet::AccessType::Memo || t == jet::AccessType::OleObject || t == jet::AccessType::Complex;
}

std::unique_ptr<RowsCursor> Make(std::vector<std::string> names, std::vector<Row> rows) {
  return std::make_unique<RowsCursor>(std::move(names), std::move(rows));
}

}  // namespace

std::unique_ptr<RowsCursor> ColumnsRowset(jet::Database& db) {
  std::vector<std::string> names = {
      "TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME", "COLUMN_GUID", "COLUMN_PROPID",
      "ORDINAL_POSITION", "COLUMN_HASDEFAULT", "COLUMN_DEFAULT", "COLUMN_FLAGS", "IS_NULLABLE", "DATA_TYPE",
      "TYPE_GUID", "CHARACTER_MAXIMUM_LENGTH", "CHARACTER_OCTET_LENGTH", "NUMERIC_PRECISION", "NUMERIC_SCALE",
      "DATETIME_PRECISION", "CHARACTER_SET_CATALOG", "CHARACTER_SET_SCHEMA", "CHARACTER_SET_NAME",
      "COLLATION_CATALOG", "COLLATION_SCHEMA", "COLLATION_NAME", "DOMAIN_CATALOG", "DOMAIN_SCHEMA", "DOMAIN_NAME",
      "DESCRIPTION", "JET_TYPE", "JET_AUTONUMBER", "JET_ENTRIES_TABLE", "JET_ENTRIES_KEY"};
  std::vector<Row> rows;
  for (const jet::TableSchema& t : db.Schemas()) {
    int ordinal = 0;
    for (const jet::ColumnSchema& c : t.columns) {
      Row r(names.size(), VARIANT::Null());
      r[2] = VARIANT::Str(t.name);
      r[3] = VARIANT::Str(c.def.name);
      r[6] = VARIANT::I4(++ordinal);
      r[7] = VARIANT::Bool(c.defaultValue.has_value());
      r[8] = Text(c.defaultValue);
      // DBCOLUMNFLAGS: ISFIXEDLENGTH 0x10, ISNULLABLE 0x20, MAYBENULL 0x40, ISLONG 0x80.
      const bool fixed = c.def.type != jet::AccessType::Text && c.def.type != jet::AccessType::Binary && !IsLong(c.def.type);
      r[9] = VARIANT::I4((fixed ? 0x10 : 0) | (c.required ? 0 : 0x60) | (IsLong(c.def.type) ? 0x80 : 0));
      r[10] = VARIANT::Bool(!c.required);
      r[11] = I2(OleDbType(c.def.type));
      if (c.def.type == jet::AccessType::Text || c.def.type == jet::AccessType::Binary) {
        r[13] = VARIANT::I4(c.length);
        r[14] = VARIANT::I4(c.def.size);
      }
      if (c.def.type == jet::AccessType::Decimal) {
        r[15] = I2(c.def.precision);
        r[16] = I2(c.def.scale);
      }
      r[27] = Text(c.description);
      r[28] = I2(static_cast<int>(c.def.type));
      r[29] = VARIANT::Bool(c.def.autoNumber);
      if (!c.entriesTable.empty()) {
        r[30] = VARIANT::Str(c.entriesTable);
        r[31] = VARIANT::Str(c.entriesKey);
      }
      rows.push_back(std::move(r));
    }
  }
  return Make(std::move(names), std::move(rows));
}

std::unique_ptr<RowsCursor> IndexesRowset(jet::Database& db) {
  std::vector<std::string> names = {
      "TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "INDEX_CATALOG", "INDEX_SCHEMA", "INDEX_NAME",
      "PRIMARY_KEY", "UNIQUE", "CLUSTERED", "TYPE", "FILL_FACTOR", "INITIAL_SIZE", "NULLS", "SORT_BOOKMARKS",
      "AUTO_UPDATE", "NULL_COLLATION", "ORDINAL_POSITION", "COLUMN_NAME", "COLUMN_GUID", "COLUMN_PROPID",
      "COLLATION", "CARDINALITY", "PAGES", "FILTER_CONDITION", "INTEGRATED", "JET_FOREIGN_KEY"};
  std::vector<Row> rows;
  for (const jet::TableSchema& t : db.Schemas()) {
    for (const jet::IndexSchema& ix : t.indexes) {
      int ordinal = 0;
      for (const jet::IndexColumn& c : ix.columns) {
        Row r(names.size(), VARIANT::Null());
        r[2] = VARIANT::Str(t.name);
        r[5] = VARIANT::Str(ix.name);
        r[6] = VARIANT::Bool(ix.primaryKey);
        r[7] = VARIANT::Bool(ix.unique || ix.primaryKey);
        r[8] = VARIANT::Bool(false);
        r[9] = I2(1);  // DBPROPVAL_IT_BTREE
        // DBPROPVAL_IN_: DISALLOWNULL 1, IGNORENULL 2, ALLOWNULL 0.
        r[12] = VARIANT::I4(ix.required || ix.primaryKey ? 1 : ix.ignoreNulls ? 2 : 0);
        r[16] = VARIANT::I4(++ordinal);
        r[17] = VARIANT::Str(c.name);
        r[20] = I2(c.descending ? 2 : 1);
        r[25] = VARIANT::Bool(ix.foreignKey);
        rows.push_back(std::move(r));
      }
    }
  }
  return Make(std::move(names), std::move(rows));
}

std::unique_ptr<RowsCursor> PrimaryKeysRowset(jet::Database& db) {
  std::vector<std::string> names = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME",
                                    "COLUMN_GUID",   "COLUMN_PROPID", "ORDINAL",   "PK_NAME"};
  std::vector<Row> rows;
  for (const jet::TableSchema& t : db.Schemas()) {
    for (const jet::IndexSchema& ix : t.indexes) {
      if (!ix.primaryKey) continue;
      int ordinal = 0;
      for (const jet::IndexColumn& c : ix.columns) {
        Row r(names.size(), VARIANT::Null());
        r[2] = VARIANT::Str(t.name);
        r[3] = VARIANT::Str(c.name);
        r[6] = VARIANT::I4(++ordinal);
        r[7] = VARIANT::Str(ix.name);
        rows.push_back(std::move(r));
      }
    }
  }
  return Make(std::move(names), std::move(rows));
}

std::unique_ptr<RowsCursor> ForeignKeysRowset(jet::Database& db) {
  std::vector<std::string> names = {
      "PK_TABLE_CATALOG", "PK_TABLE_SCHEMA", "PK_TABLE_NAME", "PK_COLUMN_NAME", "PK_COLUMN_GUID",
      "PK_COLUMN_PROPID", "FK_TABLE_CATALOG", "FK_TABLE_SCHEMA", "FK_TABLE_NAME", "FK_COLUMN_NAME",
      "FK_COLUMN_GUID", "FK_COLUMN_PROPID", "ORDINAL", "UPDATE_RULE", "DELETE_RULE", "PK_NAME", "FK_NAME",
      "DEFERRABILITY", "JET_ENFORCED"};
  std::vector<Row> rows;
  for (const jet::RelationshipSchema& rel : db.Relationships()) {
    for (size_t i = 0; i < rel.columns.size(); ++i) {
      Row r(names.size(), VARIANT::Null());
      r[2] = VARIANT::Str(rel.referencedTable);
      r[3] = VARIANT::Str(rel.referencedColumns[i]);
      r[8] = VARIANT::Str(rel.table);
      r[9] = VARIANT::Str(rel.columns[i]);
      r[12] = VARIANT::I4(static_cast<int32_t>(i + 1));
      r[13] = VARIANT::Str(rel.cascadeUpdate ? "CASCADE" : "NO ACTION");
      r[14] = VARIANT::Str(rel.cascadeDelete ? "CASCADE" : rel.cascadeNull ? "SET NULL" : "NO ACTION");
      r[16] = VARIANT::Str(rel.name);
      r[18] = VARIANT::Bool(rel.enforced);
      rows.push_back(std::move(r));
    }
  }
  return Make(std::move(names), std::move(rows));
}

std::unique_ptr<RowsCursor> ViewsRowset(jet::Database& db) {
  std::vector<std::string> names = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "VIEW_DEFINITION", "CHECK_OPTION",
                                    "IS_UPDATABLE", "DESCRIPTION", "DATE_CREATED", "DATE_MODIFIED"};
  std::vector<Row> rows;
  for (auto& [name, sql] : db.Views()) {
    Row r(names.size(), VARIANT::Null());
    r[2] = VARIANT::Str(name);
    if (!sql.empty()) r[3] = VARIANT::Str(sql);
    rows.push_back(std::move(r));
  }
  return Make(std::move(names), std::move(rows));
}

}  // namespace ado
