// MSysQueries keeps a saved query as rows of attributes: 1 its kind (1 = select),
// 3 the select flags (with TOP's count in Name1), 5 each FROM table (Name2 = alias),
// 6 each output column (Name1 = alias), 7 each join (Name1 and Name2 the two tables,
// Flag 1 inner, 2 left, 3 right), 8 WHERE, 9 each GROUP BY, 10 HAVING, 11 each ORDER
// BY (Name1 "D" when descending).
#include "platform/jet/file/SavedQuery.h"

#include <algorithm>
#include <vector>
#include "platform/jet/file/JetText.h"

namespace jet {
namespace {

struct QueryRow {
  int attribute = 0;
  std::string name1, name2, expression;
  int flag = 0;
};

enum : int { kSelectStar = 1, kDistinct = 2, kOwnerAccess = 4, kDistinctRow = 8, kTop = 16, kPercent = 32 };

int Find(const TableDef& def, const char* name) {
  for (size_t i = 0; i < def.columns.size(); ++i)
    if (AsciiIEquals(def.columns[i].def.name, name)) return static_cast<int>(i);
  return -1;
}

std::string TextOf(const VARIANT& v) { return v.vt == VT_BSTR ? v.bstrVal : std::string(); }
int IntOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    default: return 0;
  }
}

// A name as SQL needs it: bracketed unless it is a plain identifier (letters of
// other scripts count as letters, as in Jet).
std::string Quoted(const std::string& name) {
  const bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9') &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '_' || (c & 0x80);
                     });
  return plain ? name : "[" + name + "]";
}

std::string TableRef(const QueryRow& t) {
  std::string s = Quoted(t.name1);
  if (!t.name2.empty()) s += " AS " + Quoted(t.name2);
  return s;
}

std::string Joined(const std::vector<std::string>& parts, const char* sep) {
  std::string s;
  for (size_t i = 0; i < parts.size(); ++i) s += (i ? sep : "") + parts[i];
  return s;
}

// FROM: joins nest left to right as Access writes them; tables that no join names
// follow, separated by commas.
std::string FromClause(const std::vector<QueryRow>& tables, const std::vector<QueryRow>& joins) {
  auto refOf = [&](const std::string& name) {
    for (const QueryRow& t : tables)
      if (t.name2 == name || (t.name2.empty() && t.name1 == name)) return TableRef(t);
    return Quoted(name);
  };
  std::vector<std::string> used;
  auto isUsed = [&](const std::string& n) { return std::find(used.begin(), used.end(), n) != used.end(); };
  std::string expr;
  for (const QueryRow& j : joins) {
    const char* kind = j.flag == 2 ? " LEFT JOIN " : j.flag == 3 ? " RIGHT JOIN " : " INNER JOIN ";
    if (expr.empty()) {
      expr = refOf(j.name1) + kind + refOf(j.name2) + " ON " + j.expression;
      used = {j.name1, j.name2};
    } else if (isUsed(j.name1) != isUsed(j.name2)) {
      const std::string& other = isUsed(j.name1) ? j.name2 : j.name1;
      if (isUsed(j.name1)) expr = "(" + expr + ")" + kind + refOf(other) + " ON " + j.expression;
      else expr = refOf(other) + kind + "(" + expr + ") ON " + j.expression;
      used.push_back(other);
    } else {
      throw _com_error(E_FAIL);  // a join shape we do not rebuild
    }
  }
  std::vector<std::string> parts;
  if (!expr.empty()) parts.push_back(expr);
  for (const QueryRow& t : tables) {
    const std::string& n = t.name2.empty() ? t.name1 : t.name2;
    if (!isUsed(n)) parts.push_back(TableRef(t));
  }
  return Joined(parts, ", ");
}

}  // namespace

std::string RebuildSelect(RowStream& rows, const TableDef& def, uint32_t objectId) {
  const int cId = Find(def, "ObjectId"), cAttr = Find(def, "Attribute"), cName1 = Find(def, "Name1"),
            cName2 = Find(def, "Name2"), cExpr = Find(def, "Expression"), cFlag = Find(def, "Flag");
  if (cId < 0 || cAttr < 0 || cName1 < 0 || cName2 < 0 || cExpr < 0 || cFlag < 0) return std::string();
  std::vector<QueryRow> q;
  while (rows.Next()) {
    if (static_cast<uint32_t>(IntOf(rows.Value(cId))) != objectId) continue;
    QueryRow r;
    r.attribute = IntOf(rows.Value(cAttr));
    r.name1 = TextOf(rows.Value(cName1));
    r.name2 = TextOf(rows.Value(cName2));
    r.expression = TextOf(rows.Value(cExpr));
    r.flag = IntOf(rows.Value(cFlag));
    q.push_back(std::move(r));
  }
  auto all = [&](int attribute) {
    std::vector<QueryRow> out;
    for (const QueryRow& r : q) if (r.attribute == attribute) out.push_back(r);
    return out;
  };
  const std::vector<QueryRow> kind = all(1);
  if (kind.empty() || kind[0].flag != 1) return std::string();  // not a select query

  std::string sql = "SELECT ";
  int flags = 0;
  std::string top;
  for (const QueryRow& r : all(3)) { flags = r.flag; top = r.name1; }
  if (flags & kDistinct) sql += "DISTINCT ";
  else if (flags & kDistinctRow) sql += "DISTINCTROW ";
  if ((flags & kTop) && !top.empty()) sql += "TOP " + top + ((flags & kPercent) ? " PERCENT " : " ");

  std::vector<std::string> cols;
  if (flags & kSelectStar) cols.push_back("*");
  for (const QueryRow& c : all(6))
    cols.push_back(c.name1.empty() ? c.expression : c.expression + " AS " + Quoted(c.name1));
  if (cols.empty()) return std::string();
  sql += Joined(cols, ", ");

  const std::vector<QueryRow> tables = all(5);
  if (!tables.empty()) sql += " FROM " + FromClause(tables, all(7));
  for (const QueryRow& w : all(8)) sql += " WHERE " + w.expression;
  std::vector<std::string> group, order;
  for (const QueryRow& g : all(9)) group.push_back(g.expression);
  if (!group.empty()) sql += " GROUP BY " + Joined(group, ", ");
  for (const QueryRow& h : all(10)) sql += " HAVING " + h.expression;
  for (const QueryRow& o : all(11))
    order.push_back(o.expression + (AsciiIEquals(o.name1, "D") ? " DESC" : ""));
  if (!order.empty()) sql += " ORDER BY " + Joined(order, ", ");
  if (flags & kOwnerAccess) sql += " WITH OWNERACCESS OPTION";
  return sql;
}

}  // namespace jet
