#include "migrate/Describe.h"

#include "migrate/ValueForms.h"
#include "platform/com/Translate.h"

namespace migrate {

namespace {

std::string Size(const Column& c) {
  if (c.type == kText || c.type == kBinary) return std::to_string(c.length);
  if (c.type == kDecimal) return std::to_string(c.precision) + "," + std::to_string(c.scale);
  return std::string();
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

std::string IndexColumns(const Index& ix) {
  std::vector<std::string> names;
  for (const auto& [name, descending] : ix.columns) names.push_back(descending ? name + " DESC" : name);
  return Joined(names);
}

// Characters of UTF-8 text: the width of a column of names, near enough.
size_t Width(const std::string& s) {
  size_t chars = 0;
  for (unsigned char c : s) chars += (c & 0xC0) != 0x80;
  return chars;
}

// Pads to `width` characters, with at least one blank after the text.
std::string Pad(const std::string& s, size_t width) {
  const size_t chars = Width(s);
  return chars >= width ? s + " " : s + std::string(width - chars, ' ');
}

std::string Rules(const Relationship& r) {
  std::string out = r.enforced ? _("实施参照完整性") : _("不实施参照完整性");
  if (r.updateRule == "CASCADE") out += std::string(", ") + _("级联更新");
  if (r.deleteRule == "CASCADE") out += std::string(", ") + _("级联删除");
  if (r.deleteRule == "SET NULL") out += std::string(", ") + _("级联置空");
  return out;
}

bool Concerns(const Relationship& r, const Table& t) { return r.table == t.name || r.referencedTable == t.name; }

}  // namespace

std::string DescribeText(const DatabaseSchema& schema, const Table& t) {
  std::string out = std::string(_("数据表：")) + t.name + "\n";
  if (t.description) out += std::string(_("说明：")) + *t.description + "\n";
  size_t nameWidth = 4, typeWidth = 4;
  for (const Column& c : t.columns) {
    nameWidth = std::max(nameWidth, Width(c.name) + 1);
    typeWidth = std::max(typeWidth, Width(TypeName(c)) + 1);
  }
  out += "\n" + std::string(_("字段：")) + "\n";
  for (const Column& c : t.columns) {
    std::string line = "  " + Pad(c.name, nameWidth) + Pad(TypeName(c), typeWidth) + Pad(Size(c), 6) +
                       Pad(c.required ? _("必填") : "", Width(_("必填")) + 1);
    if (c.defaultValue) line += std::string(_("默认值 ")) + *c.defaultValue + " ";
    if (c.description) line += "-- " + *c.description;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  if (const Index* pk = t.PrimaryKey()) out += "\n" + std::string(_("主键：")) + pk->name + " (" + IndexColumns(*pk) + ")\n";
  bool any = false;
  for (const Index& ix : t.indexes) {
    if (ix.primaryKey) continue;
    if (!any) out += "\n" + std::string(_("索引：")) + "\n";
    any = true;
    out += "  " + ix.name + " (" + IndexColumns(ix) + ")";
    if (ix.unique) out += std::string(" ") + _("唯一");
    if (ix.foreignKey) out += std::string(" ") + _("关系所建");
    out += "\n";
  }
  any = false;
  for (const Relationship& r : schema.relationships) {
    if (!Concerns(r, t)) continue;
    if (!any) out += "\n" + std::string(_("关系：")) + "\n";
    any = true;
    out += "  " + r.name + ": " + r.table + " (" + Joined(r.columns) + ") -> " + r.referencedTable + " (" +
           Joined(r.referencedColumns) + "); " + Rules(r) + "\n";
  }
  return out;
}

std::string DescribeJson(const DatabaseSchema& schema, const Table& t) {
  auto opt = [](const std::optional<std::string>& s) { return s ? JsonString(*s) : std::string("null"); };
  auto names = [](const std::vector<std::string>& v) {
    std::string out = "[";
    for (size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + JsonString(v[i]);
    return out + "]";
  };
  auto flag = [](bool b) { return b ? "true" : "false"; };
  std::string out = "{\"name\":" + JsonString(t.name) + ",\"description\":" + opt(t.description) + ",\"columns\":[";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const Column& c = t.columns[i];
    out += std::string(i ? "," : "") + "{\"name\":" + JsonString(c.name) + ",\"type\":" + JsonString(TypeName(c)) +
           ",\"size\":" + (Size(c).empty() ? "null" : JsonString(Size(c))) + ",\"required\":" + flag(c.required) +
           ",\"autoNumber\":" + flag(c.autoNumber) + ",\"default\":" + opt(c.defaultValue) +
           ",\"description\":" + opt(c.description) + "}";
  }
  out += "],\"primaryKey\":";
  const Index* pk = t.PrimaryKey();
  std::vector<std::string> pkColumns;
  if (pk)
    for (const auto& col : pk->columns) pkColumns.push_back(col.first);
  out += pk ? "{\"name\":" + JsonString(pk->name) + ",\"columns\":" + names(pkColumns) + "}" : std::string("null");
  out += ",\"indexes\":[";
  bool first = true;
  for (const Index& ix : t.indexes) {
    out += std::string(first ? "" : ",") + "{\"name\":" + JsonString(ix.name) + ",\"columns\":[";
    first = false;
    for (size_t i = 0; i < ix.columns.size(); ++i)
      out += std::string(i ? "," : "") + "{\"name\":" + JsonString(ix.columns[i].first) +
             ",\"descending\":" + flag(ix.columns[i].second) + "}";
    out += std::string("],\"primaryKey\":") + flag(ix.primaryKey) + ",\"unique\":" + flag(ix.unique || ix.primaryKey) +
           ",\"foreignKey\":" + flag(ix.foreignKey) + "}";
  }
  out += "],\"relationships\":[";
  first = true;
  for (const Relationship& r : schema.relationships) {
    if (!Concerns(r, t)) continue;
    out += std::string(first ? "" : ",") + "{\"name\":" + JsonString(r.name) + ",\"table\":" + JsonString(r.table) +
           ",\"columns\":" + names(r.columns) + ",\"referencedTable\":" + JsonString(r.referencedTable) +
           ",\"referencedColumns\":" + names(r.referencedColumns) + ",\"enforced\":" + flag(r.enforced) +
           ",\"onUpdate\":" + JsonString(r.updateRule) + ",\"onDelete\":" + JsonString(r.deleteRule) + "}";
    first = false;
  }
  return out + "]}";
}

}  // namespace migrate
