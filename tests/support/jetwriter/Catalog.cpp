#include "support/jetwriter/Catalog.h"
#include <cctype>
#include <stdexcept>

namespace jetwriter {

using jet::AccessType;

std::vector<CatalogObject> ContainerObjects() {
  const uint32_t sys = 0x80000000u;
  return {
      {kTablesContainer, 0x0F000000, "Tables", 3, sys},
      {0x0F000002, 0x0F000000, "Databases", 3, sys},
      {0x0F000003, 0x0F000000, "Relationships", 3, sys},
      {0x10000000, 0x0F000002, "MSysDb", 2, sys},
  };
}

static VARIANT Text(const std::string& s) { return s.empty() ? VARIANT::Null() : VARIANT::Str(s); }

Table MSysObjects(std::vector<CatalogObject> objects, double created) {
  Table t;
  t.name = "MSysObjects";
  t.system = true;
  using T = AccessType;
  t.columns = {{"Id", T::LongInteger},     {"ParentId", T::LongInteger}, {"Name", T::Text},
               {"Type", T::Integer},       {"DateCreate", T::DateTime},  {"DateUpdate", T::DateTime},
               {"Owner", T::Binary},       {"Flags", T::LongInteger},    {"Database", T::Memo},
               {"Connect", T::Memo},       {"ForeignName", T::Text},     {"RmtInfoShort", T::Binary},
               {"RmtInfoLong", T::OleObject}, {"Lv", T::OleObject},      {"LvProp", T::OleObject},
               {"LvModule", T::OleObject}, {"LvExtra", T::OleObject}};
  t.rowCount = objects.size();
  t.row = [objects = std::move(objects), created](uint64_t r, std::vector<VARIANT>& v) {
    const CatalogObject& o = objects[r];
    v[0] = VARIANT::I4(o.id);
    v[1] = VARIANT::I4(o.parentId);
    v[2] = VARIANT::Str(o.name);
    v[3] = I2(o.type);
    v[4] = Date(created);
    v[5] = Date(created);
    v[6] = Bin({0x02, 0x00});  // the Admins group, as Access has it
    v[7] = VARIANT::I4(int32_t(o.flags));
  };
  return t;
}

Table MSysACEs() {
  Table t;
  t.name = "MSysACEs";
  t.system = true;
  t.columns = {{"ACM", AccessType::LongInteger}, {"FInheritable", AccessType::Boolean},
               {"ObjectId", AccessType::LongInteger}, {"SID", AccessType::Binary}};
  return t;
}

Table MSysRelationships() {
  Table t;
  t.name = "MSysRelationships";
  t.system = true;
  t.columns = {{"ccolumn", AccessType::LongInteger}, {"grbit", AccessType::LongInteger},
               {"icolumn", AccessType::LongInteger}, {"szColumn", AccessType::Text},
               {"szObject", AccessType::Text},       {"szReferencedColumn", AccessType::Text},
               {"szReferencedObject", AccessType::Text}, {"szRelationship", AccessType::Text}};
  return t;
}

Table MSysQueries(std::vector<QueryRow> rows) {
  Table t;
  t.name = "MSysQueries";
  t.system = true;
  t.columns = {{"Attribute", AccessType::Byte}, {"Expression", AccessType::Memo},
               {"Flag", AccessType::Integer},   {"LvExtra", AccessType::OleObject},
               {"Name1", AccessType::Text},     {"Name2", AccessType::Text},
               {"ObjectId", AccessType::LongInteger}, {"Order", AccessType::Binary}};
  t.rowCount = rows.size();
  t.row = [rows = std::move(rows)](uint64_t r, std::vector<VARIANT>& v) {
    const QueryRow& q = rows[r];
    v[0] = Ui1(q.attribute);
    v[1] = Text(q.expression);
    if (q.hasFlag) v[2] = I2(q.flag);
    v[4] = Text(q.name1);
    v[5] = Text(q.name2);
    v[6] = VARIANT::I4(q.objectId);
  };
  return t;
}

// ---- splitting a select statement into its clauses

static std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper((unsigned char)c));
  return s;
}

static std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n;");
  return a == std::string::npos || b < a ? std::string() : s.substr(a, b - a + 1);
}

// Positions in `sql` that are outside brackets, quotes and parentheses.
static std::vector<bool> TopLevel(const std::string& sql) {
  std::vector<bool> top(sql.size(), false);
  int depth = 0;
  char quote = 0;
  bool bracket = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (quote) { if (c == quote) quote = 0; continue; }
    if (bracket) { if (c == ']') bracket = false; continue; }
    if (c == '\'' || c == '"' || c == '#') { quote = c; continue; }
    if (c == '[') { bracket = true; continue; }
    if (c == '(') { ++depth; continue; }
    if (c == ')') { --depth; continue; }
    top[i] = depth == 0;
  }
  return top;
}

static size_t FindWord(const std::string& sql, const std::string& word, size_t from) {
  std::string up = Upper(sql);
  std::vector<bool> top = TopLevel(sql);
  for (size_t at = up.find(word, from); at != std::string::npos; at = up.find(word, at + 1)) {
    bool startOk = at == 0 || !std::isalnum((unsigned char)up[at - 1]);
    size_t end = at + word.size();
    bool endOk = end >= up.size() || !std::isalnum((unsigned char)up[end]);
    if (startOk && endOk && top[at]) return at;
  }
  return std::string::npos;
}

static std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::vector<bool> top = TopLevel(list);
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i == list.size() || (list[i] == ',' && top[i])) {
      std::string item = Trim(list.substr(start, i - start));
      if (!item.empty()) items.push_back(item);
      start = i + 1;
    }
  }
  return items;
}

// "expr AS alias" -> {expr, alias}; brackets around the alias dropped.
static std::pair<std::string, std::string> Alias(const std::string& item) {
  size_t at = FindWord(item, "AS", 0), last = std::string::npos;
  while (at != std::string::npos) { last = at; at = FindWord(item, "AS", at + 1); }
  if (last == std::string::npos) return {item, ""};
  std::string alias = Trim(item.substr(last + 2));
  if (alias.size() >= 2 && alias.front() == '[' && alias.back() == ']') alias = alias.substr(1, alias.size() - 2);
  return {Trim(item.substr(0, last)), alias};
}

static std::string Unbracket(const std::string& name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
  return name;
}

std::vector<QueryRow> QueryRows(int32_t id, const std::string& raw) {
  std::string sql = Trim(raw);
  if (FindWord(sql, "SELECT", 0) != 0) throw std::runtime_error("saved query is not a SELECT: " + raw);
  const char* words[] = {"FROM", "WHERE", "GROUP BY", "HAVING", "ORDER BY"};
  size_t pos[5];
  size_t from = 6;
  for (int k = 0; k < 5; ++k) {
    pos[k] = FindWord(sql, words[k], from);
    if (pos[k] != std::string::npos) from = pos[k];
  }
  if (pos[0] == std::string::npos) throw std::runtime_error("saved query has no FROM: " + raw);
  auto clause = [&](int k) -> std::string {
    if (pos[k] == std::string::npos) return "";
    size_t start = pos[k] + std::string(words[k]).size(), end = sql.size();
    for (int j = k + 1; j < 5; ++j) if (pos[j] != std::string::npos) { end = pos[j]; break; }
    return Trim(sql.substr(start, end - start));
  };
  std::string columns = Trim(sql.substr(6, pos[0] - 6));
  bool distinct = FindWord(columns, "DISTINCT", 0) == 0;
  if (distinct) columns = Trim(columns.substr(8));

  std::vector<QueryRow> rows;
  auto add = [&](uint8_t attribute) -> QueryRow& {
    rows.push_back(QueryRow{id, attribute, "", "", "", false, 0});
    return rows.back();
  };
  add(0);
  QueryRow& type = add(1);
  type.hasFlag = true;
  type.flag = 1;  // a select query
  QueryRow& options = add(3);
  options.hasFlag = true;
  options.flag = distinct ? 2 : 0;
  for (const std::string& item : SplitList(clause(0))) {
    auto [table, alias] = Alias(item);
    QueryRow& r = add(5);
    r.name1 = Unbracket(table);
    r.name2 = alias;
  }
  for (const std::string& item : SplitList(columns)) {
    auto [expr, alias] = Alias(item);
    QueryRow& r = add(6);
    r.expression = expr;
    r.name1 = alias;
    r.hasFlag = true;
  }
  if (!clause(1).empty()) add(8).expression = clause(1);
  for (const std::string& item : SplitList(clause(2))) {
    QueryRow& r = add(9);
    r.expression = item;
    r.hasFlag = true;
  }
  if (!clause(3).empty()) add(10).expression = clause(3);
  for (const std::string& item : SplitList(clause(4))) {
    std::string expr = item;
    bool desc = false;
    std::string up = Upper(expr);
    if (up.size() > 5 && up.compare(up.size() - 5, 5, " DESC") == 0) { desc = true; expr = Trim(expr.substr(0, expr.size() - 5)); }
    else if (up.size() > 4 && up.compare(up.size() - 4, 4, " ASC") == 0) expr = Trim(expr.substr(0, expr.size() - 4));
    QueryRow& r = add(11);
    r.expression = expr;
    if (desc) r.name1 = "D";
  }
  add(255);
  return rows;
}

}  // namespace jetwriter
