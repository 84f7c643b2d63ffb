// MSysQueries keeps a saved query as rows of attributes: 1 its kind (1 select, 6
// crosstab, 9 union), 3 the select flags (with TOP's count in Name1), 5 each FROM
// table (Name2 = alias; for a union, each select in Expression), 6 each output
// column (Name1 = alias; in a crosstab Flag 0 is the TRANSFORM value, 1 the PIVOT
// heading and 2 a row heading), 7 each join (Name1 and Name2 the two tables, Flag 1
// inner, 2 left, 3 right; one row per condition), 8 WHERE, 9 each GROUP BY (in a
// crosstab Flag 1 is the PIVOT heading), 10 HAVING, 11 each ORDER BY (Name1 "D"
// when descending).
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

enum : int { kSelectQuery = 1, kCrosstabQuery = 6, kUnionQuery = 9 };
// The same kinds in bits 4-7 of the query's Flags in MSysObjects (0 select, 16
// crosstab, 128 union; the other values are action, data-definition and
// pass-through queries).
int KindFromCatalogFlags(uint32_t flags) {
  switch (flags & 0xF0) {
    case 0x00: return kSelectQuery;
    case 0x10: return kCrosstabQuery;
    case 0x80: return kUnionQuery;
    default: return 0;
  }
}
enum : int { kCrosstabValue = 0, kCrosstabPivot = 1 };
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

// FROM: each join nests the tables joined so far as Access writes them. A join
// of two tables neither of which is joined yet starts a chain of its own, which a
// later join of one of its tables with another chain's joins to that chain (the
// order Access stores joins in is not their chain's order). Conditions between
// the same two tables make one ON. Tables that no join names follow, separated
// by commas.
std::string FromClause(const std::vector<QueryRow>& tables, const std::vector<QueryRow>& joinRows) {
  auto refOf = [&](const std::string& name) {
    for (const QueryRow& t : tables)
      if (t.name2 == name || (t.name2.empty() && t.name1 == name)) return TableRef(t);
    return Quoted(name);
  };
  std::vector<QueryRow> joins;
  for (const QueryRow& j : joinRows) {
    auto same = std::find_if(joins.begin(), joins.end(), [&](const QueryRow& k) {
      return (k.name1 == j.name1 && k.name2 == j.name2) || (k.name1 == j.name2 && k.name2 == j.name1);
    });
    if (same == joins.end()) joins.push_back(j);
    else same->expression += " AND " + j.expression;
  }
  struct Chain {
    std::string body, on;  // "body ON on": the outermost join's condition kept apart
    std::vector<std::string> tables;
    std::string Text() const { return body + " ON " + on; }
  };
  std::vector<Chain> chains;
  auto chainOf = [&](const std::string& n) -> int {
    for (size_t c = 0; c < chains.size(); ++c)
      if (std::find(chains[c].tables.begin(), chains[c].tables.end(), n) != chains[c].tables.end())
        return static_cast<int>(c);
    return -1;
  };
  for (const QueryRow& j : joins) {
    const char* kind = j.flag == 2 ? " LEFT JOIN " : j.flag == 3 ? " RIGHT JOIN " : " INNER JOIN ";
    const int a = chainOf(j.name1), b = chainOf(j.name2);
    if (a >= 0 && a == b) {  // a further condition between tables already joined
      chains[a].on += " AND " + j.expression;
      continue;
    }
    Chain joined;
    joined.body = (a >= 0 ? "(" + chains[a].Text() + ")" : refOf(j.name1)) + kind +
                  (b >= 0 ? "(" + chains[b].Text() + ")" : refOf(j.name2));
    joined.on = j.expression;
    for (int c : {a, b})
      if (c >= 0) joined.tables.insert(joined.tables.end(), chains[c].tables.begin(), chains[c].tables.end());
    if (a < 0) joined.tables.push_back(j.name1);
    if (b < 0) joined.tables.push_back(j.name2);
    const int keep = a >= 0 ? a : b;
    if (keep < 0) {
      chains.push_back(std::move(joined));
    } else {
      chains[keep] = std::move(joined);
      if (a >= 0 && b >= 0) chains.erase(chains.begin() + b);  // merged into chain a
    }
  }
  std::vector<std::string> parts;
  for (const Chain& c : chains) parts.push_back(c.Text());
  for (const QueryRow& t : tables) {
    const std::string& n = t.name2.empty() ? t.name1 : t.name2;
    if (chainOf(n) < 0) parts.push_back(TableRef(t));
  }
  return Joined(parts, ", ");
}

}  // namespace

std::string RebuildSelect(RowStream& rows, const TableDef& def, uint32_t objectId, uint32_t catalogFlags) {
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
  if (q.empty()) return std::string();
  const std::vector<QueryRow> kind = all(1);
  const int queryKind = kind.empty() ? KindFromCatalogFlags(catalogFlags) : kind[0].flag;
  if (queryKind != kSelectQuery && queryKind != kCrosstabQuery && queryKind != kUnionQuery)
    return std::string();  // an action, data-definition or pass-through query
  int flags = 0;
  std::string top;
  for (const QueryRow& r : all(3)) { flags = r.flag; top = r.name1; }
  std::vector<std::string> order;
  for (const QueryRow& o : all(11))
    order.push_back(o.expression + (AsciiIEquals(o.name1, "D") ? " DESC" : ""));
  const std::string orderBy = order.empty() ? std::string() : " ORDER BY " + Joined(order, ", ");

  if (queryKind == kUnionQuery) {
    // Each select is kept whole; the flags say whether the union drops duplicates.
    std::vector<std::string> parts;
    for (const QueryRow& t : all(5))
      if (!t.expression.empty()) parts.push_back(t.expression);
    if (parts.size() < 2) return std::string();
    return Joined(parts, (flags & kDistinct) ? " UNION " : " UNION ALL ") + orderBy;
  }

  // A crosstab's columns: the TRANSFORM value, the PIVOT heading (an IN list of
  // fixed headings is part of its text) and the row headings of its select.
  const bool crosstab = queryKind == kCrosstabQuery;
  std::string transform, pivot;
  std::vector<std::string> cols;
  if (flags & kSelectStar) cols.push_back("*");
  for (const QueryRow& c : all(6)) {
    std::string item = c.name1.empty() ? c.expression : c.expression + " AS " + Quoted(c.name1);
    if (crosstab && c.flag == kCrosstabValue) transform = item;
    else if (crosstab && c.flag == kCrosstabPivot) pivot = c.expression;
    else cols.push_back(item);
  }
  if (cols.empty() || (crosstab && (transform.empty() || pivot.empty()))) return std::string();

  std::string sql = crosstab ? "TRANSFORM " + transform + " SELECT " : "SELECT ";
  if (flags & kDistinct) sql += "DISTINCT ";
  else if (flags & kDistinctRow) sql += "DISTINCTROW ";
  if ((flags & kTop) && !top.empty()) sql += "TOP " + top + ((flags & kPercent) ? " PERCENT " : " ");
  sql += Joined(cols, ", ");

  const std::vector<QueryRow> tables = all(5);
  if (!tables.empty()) sql += " FROM " + FromClause(tables, all(7));
  for (const QueryRow& w : all(8)) sql += " WHERE " + w.expression;
  std::vector<std::string> group;
  for (const QueryRow& g : all(9))
    if (!(crosstab && g.flag == kCrosstabPivot)) group.push_back(g.expression);
  if (!group.empty()) sql += " GROUP BY " + Joined(group, ", ");
  for (const QueryRow& h : all(10)) sql += " HAVING " + h.expression;
  sql += orderBy;
  if (crosstab) sql += " PIVOT " + pivot;
  if (flags & kOwnerAccess) sql += " WITH OWNERACCESS OPTION";
  return sql;
}

}  // namespace jet
