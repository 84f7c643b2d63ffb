#include "migrate/PostgresqlWriter.h"

#include <unistd.h>
#include <charconv>
#include <cmath>
#include <set>
#include "export/TargetFile.h"
#include "migrate/ChildTables.h"
#include "migrate/SqlNames.h"
#include "migrate/ValueForms.h"
#include "platform/com/Translate.h"

namespace migrate {

namespace {

constexpr size_t kMaxName = 63;  // PostgreSQL's NAMEDATALEN - 1, in bytes

// A name PostgreSQL holds whole, quoted; a longer one would be cut short.
std::string Name(const std::string& name) {
  if (name.size() > kMaxName) {
    std::string text = Translate("名称“%s”超过 PostgreSQL 的 63 字节上限");
    text.replace(text.find("%s"), 2, name);
    throw _com_error(E_FAIL, text);
  }
  return Quoted(name);
}

std::string List(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + Name(names[i]);
  return out;
}

// COPY's text form: backslash escapes for the separators and the backslash. Most
// texts hold none of them and go across whole.
void AppendCopyText(const std::string& s, std::string* out) {
  if (s.find_first_of("\\\t\n\r") == std::string::npos) {
    *out += s;
    return;
  }
  for (char c : s) {
    switch (c) {
      case '\\': *out += "\\\\"; break;
      case '\t': *out += "\\t"; break;
      case '\n': *out += "\\n"; break;
      case '\r': *out += "\\r"; break;
      default: *out += c;
    }
  }
}

template <class N>
void AppendInteger(N n, std::string* out) {
  char buf[24];
  out->append(buf, static_cast<size_t>(std::to_chars(buf, buf + sizeof buf, n).ptr - buf));
}

template <class T>
void AppendReal(T v, std::string* out) {
  if (std::isnan(v)) { *out += "NaN"; return; }
  if (std::isinf(v)) { *out += v < 0 ? "-Infinity" : "Infinity"; return; }
  char buf[64];
  *out += std::string_view(buf, static_cast<size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

void AppendValue(const VARIANT& v, std::string* out, std::string* scratch) {
  switch (v.vt) {
    case VT_NULL: case VT_EMPTY: *out += "\\N"; return;
    case VT_BOOL: *out += v.boolVal ? 't' : 'f'; return;
    case VT_UI1: AppendInteger(v.bVal, out); return;
    case VT_I2: AppendInteger(v.iVal, out); return;
    case VT_I4: AppendInteger(v.lVal, out); return;
    case VT_I8: AppendInteger(v.llVal, out); return;
    case VT_R4: AppendReal(v.fltVal, out); return;
    case VT_R8: AppendReal(v.dblVal, out); return;
    case VT_CY: case VT_DECIMAL: AppendVariantText(v, out); return;  // exact: see ExactDecimal
    case VT_DATE:
      if (IsoDateTime(v.date, scratch)) *out += *scratch;
      else *out += "\\N";
      return;
    case VT_BSTR: AppendCopyText(v.bstrVal, out); return;
    default:
      if (v.vt == (VT_ARRAY | VT_UI1)) {
        static const char hex[] = "0123456789abcdef";
        *out += "\\\\x";
        for (uint8_t b : v.parray) {
          *out += hex[b >> 4];
          *out += hex[b & 15];
        }
        return;
      }
      *out += "\\N";
  }
}

class Script {
 public:
  explicit Script(const std::string& target) {
    if (target == "-") m_file.Adopt(STDOUT_FILENO);
    else m_file.Open(target);
  }
  std::string& Text() { return m_text; }
  // Hands whole lines over once enough of them have gathered.
  void Flush(bool always = false) {
    if (m_text.size() < (1 << 20) && !always) return;
    m_file.Write(m_text.data(), m_text.size());
    m_text.clear();
  }
  void Close() {
    Flush(true);
    m_file.Close();
  }

 private:
  TargetFile m_file;
  std::string m_text;
};

// Index and constraint names are the schema's in PostgreSQL, the table's in
// Access: each is made unique as "table.index" where that fits.
std::string IndexName(const Table& t, const Index& ix, std::set<std::string>* used) {
  std::string name = t.name + "." + ix.name;
  if (name.size() > kMaxName) name = ix.name;
  for (int n = 2; name.size() > kMaxName || !used->insert(name).second; ++n)
    name = "index_" + std::to_string(n);
  return name;
}

}  // namespace

void WritePostgresqlScript(const _ConnectionPtr& connection, const DatabaseSchema& schema, const std::string& target,
                           const WriteEvents& events) {
  // Every name is checked before the first byte is written.
  for (const Table& t : schema.tables) {
    Name(t.name);
    for (const Column& c : t.columns) Name(c.name);
  }
  for (const Relationship& r : schema.relationships) Name(r.name);
  std::vector<const Relationship*> keys = ForeignKeys(schema, events);
  const std::vector<ChildTable> children = ChildTables(schema);
  std::vector<const Table*> tables;
  for (const Table& t : schema.tables) tables.push_back(&t);
  for (const ChildTable& c : children) {
    tables.push_back(&c.table);
    if (!c.link.table.empty()) keys.push_back(&c.link);
    Name(c.table.name);
    Name(c.link.name);
  }

  Script script(target);
  std::string& s = script.Text();
  s += "-- The tables of an Access database, for psql -f (kelvane-export --postgresql).\n"
       "\\set ON_ERROR_STOP on\nSET client_encoding = 'UTF8';\nSET standard_conforming_strings = on;\n"
       "SET datestyle = 'ISO, YMD';\nBEGIN;\n\n";
  for (const Table* table : tables) {
    const Table& t = *table;
    s += "CREATE TABLE " + Name(t.name) + " (";
    for (size_t i = 0; i < t.columns.size(); ++i) {
      const Column& c = t.columns[i];
      s += (i ? ",\n  " : "\n  ") + Name(c.name) + " " + PostgresqlType(c);
      if (c.required) s += " NOT NULL";
      if (auto d = LiteralDefault(c)) s += " DEFAULT " + *d;
    }
    s += "\n);\n";
  }
  for (size_t n = 0; n < tables.size(); ++n) {
    const Table& t = *tables[n];
    std::vector<std::string> names;
    for (const Column& c : t.columns) names.push_back(c.name);
    s += "\nCOPY " + Name(t.name) + " (" + List(names) + ") FROM stdin;\n";
    long rows = 0;
    std::string scratch;
    auto onRow = [&](const VARIANT* const* values) {
      for (size_t i = 0; i < t.columns.size(); ++i) {
        if (i) s += '\t';
        if (t.columns[i].type == kDateTimeExtended && IsoExtendedDate(*values[i], &scratch)) AppendCopyText(scratch, &s);
        else AppendValue(*values[i], &s, &scratch);
      }
      s += '\n';
      script.Flush();
      if (++rows % 512 == 0 && events.onRows) events.onRows(t.name, rows);
    };
    if (n < schema.tables.size()) EachRow(connection, t, onRow);
    else EachChildRow(connection, children[n - schema.tables.size()], onRow);
    s += "\\.\n";
  }
  s += "\n";
  std::set<std::string> used;
  for (const Table& t : schema.tables) {
    std::vector<const Index*> indexes = TargetIndexes(t);
    if (const Index* pk = t.PrimaryKey()) indexes.insert(indexes.begin(), pk);
    for (const Index* index : indexes) {
      const Index& ix = *index;
      std::vector<std::string> cols;
      std::string withOrder;
      for (const auto& [name, descending] : ix.columns) {
        cols.push_back(name);
        withOrder += (withOrder.empty() ? "" : ", ") + Name(name) + (descending ? " DESC" : "");
      }
      const std::string name = Quoted(IndexName(t, ix, &used));
      if (ix.primaryKey) s += "ALTER TABLE " + Name(t.name) + " ADD CONSTRAINT " + name + " PRIMARY KEY (" + List(cols) + ");\n";
      else s += std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + name + " ON " + Name(t.name) + " (" + withOrder + ");\n";
    }
  }
  for (const Relationship* r : keys) {
    s += "ALTER TABLE " + Name(r->table) + " ADD CONSTRAINT " + Name(r->name) + " FOREIGN KEY (" + List(r->columns) +
         ") REFERENCES " + Name(r->referencedTable) + " (" + List(r->referencedColumns) + ") ON UPDATE " +
         Rule(r->updateRule) + " ON DELETE " + Rule(r->deleteRule) + ";\n";
  }
  for (const Table& t : schema.tables) {
    for (const Column& c : t.columns) {
      if (!c.autoNumber || c.type != kLong) continue;
      const std::string table = Name(t.name), column = Name(c.name);
      s += "ALTER TABLE " + table + " ALTER COLUMN " + column + " SET NOT NULL;\n";
      s += "ALTER TABLE " + table + " ALTER COLUMN " + column + " ADD GENERATED BY DEFAULT AS IDENTITY;\n";
      // In a block, so that psql prints no result for it.
      s += "DO $kelvane$ BEGIN PERFORM setval(pg_get_serial_sequence(" + Literal(table) + ", " + Literal(c.name) +
           "), COALESCE(max(" + column + "), 0) + 1, false) FROM " + table + "; END $kelvane$;\n";
    }
  }
  for (const Table& t : schema.tables) {
    if (t.description) s += "COMMENT ON TABLE " + Name(t.name) + " IS " + Literal(*t.description) + ";\n";
    for (const Column& c : t.columns)
      if (c.description)
        s += "COMMENT ON COLUMN " + Name(t.name) + "." + Name(c.name) + " IS " + Literal(*c.description) + ";\n";
  }
  s += "\nCOMMIT;\n";
  script.Close();
}

}  // namespace migrate
