// TRANSFORM value SELECT ... PIVOT heading [IN (...)] as one SQLite select: the
// select's own columns, then per heading h a column
//   CASE WHEN count(*) FILTER (WHERE heading IS h) > 0 THEN value' END AS "h"
// where value' is the value with each of its aggregates limited to the rows of h
// (FILTER), so that First, Last and the others see the same rows as in Jet.
#include "platform/jet/sql/Crosstab.h"

#include <sqlite3.h>

#include <cstdio>
#include <set>
#include <utility>

#include "platform/com/ComError.h"
#include "platform/com/ExactKey.h"
#include "platform/jet/sql/Cursor.h"
#include "platform/jet/sql/Lowering.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/Printer.h"
#include "platform/jet/sql/Refusals.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

namespace sql {

namespace {

[[noreturn]] void Syntax() { throw _com_error(JET_E_SYNTAX); }

bool IsLoweredAggregate(const Node& n) {
  if (n.kind != NodeKind::Call) return false;
  static const std::set<std::string> names = {"count", "sum", "avg", "min", "max", "vba_first", "vba_last",
                                              "vba_stdev", "vba_stdevp", "vba_var", "vba_varp",
                                              kExactSum, kExactAverage};
  return names.count(LowerAscii(n.text)) > 0;
}

// The aggregates of the lowered value (subqueries not entered) limited to the
// rows where `condition` holds.
void FilterAggregates(Node& n, const std::string& condition) {
  if (n.kind == NodeKind::Subquery || n.kind == NodeKind::Exists) return;
  if (IsLoweredAggregate(n)) {
    std::string call = n.text + "(";
    for (size_t k = 0; k < n.kids.size(); ++k) call += (k ? ", " : "") + Print(n.kids[k]);
    n = Node(NodeKind::Raw, "(" + call + ") FILTER (WHERE " + condition + "))");
    return;
  }
  for (Node& k : n.kids) FilterAggregates(k, condition);
}

// A heading of an IN list: its name and its SQLite text. A literal, a number
// with its sign.
CrosstabHeading FixedHeading(const Node& item, const Resolution& r) {
  const bool sign = item.kind == NodeKind::Unary;
  const Node& v = sign ? item.kids[0] : item;
  std::string name;
  switch (v.kind) {
    case NodeKind::String: name = v.text; break;
    case NodeKind::Date: name = v.qualifier; break;
    case NodeKind::Number: name = v.text; break;
    default: Syntax();
  }
  if (sign && v.kind != NodeKind::Number) Syntax();
  return {(sign && item.text == "-" ? "-" : "") + name, Print(LowerExpression(item, r))};
}

}  // namespace

std::string LowerCrosstab(Statement& st, const std::vector<CrosstabHeading>* known, StatementShape* shape,
                          Resolution* r) {
  Crosstab& x = *st.crosstab;
  std::vector<CrosstabHeading> headings;
  for (const Node& item : x.fixed) headings.push_back(FixedHeading(item, *r));
  if (!HasAggregate(x.value)) Syntax();  // each cell sums up rows
  Query& body = st.query;
  const std::vector<TypedColumn> columns = ResolveQuery(body, nullptr, r);
  // The value and the heading are typed as two more fields of the select.
  const Scope& scope = *r->scopes.at(&body.members[0]);
  ResolveExpression(x.value, scope, r);
  ResolveExpression(x.heading, scope, r);
  // Money headings are exact BLOBs, which a number never equals.
  if (x.heading.type == ExprType::Currency || x.heading.type == ExprType::Decimal)
    for (CrosstabHeading& h : headings) h.literal = std::string(kExact) + "(" + h.literal + ")";
  CheckRefusals(body, *r);
  CheckRefusals(x.value, *r);
  CheckRefusals(x.heading, *r);
  shape->types = ResultTypesOf(columns);
  const Node value = LowerExpression(x.value, *r);
  std::string headingText = Print(LowerExpression(x.heading, *r));
  LowerQuery(body, true, shape, *r);
  Select& select = body.members[0];
  // A Yes/No heading as Jet's -1 or 0 (SQLite's comparisons give 1), so that
  // its columns come in Jet's order: -1 first.
  if (x.heading.type == ExprType::Boolean) headingText = "-((" + headingText + ") <> 0)";

  if (!x.hasFixed && !known) {
    // Headings that differ only in case are one heading, in Jet's order of text.
    Select find;
    find.quantity = Select::Quantity::Distinct;
    find.items.push_back(SelectItem{Node(NodeKind::Raw, "(" + headingText + ") COLLATE " + kTextCollation), "", 0});
    find.from = select.from;
    find.where = select.where;
    find.orderBy.push_back(OrderKey{Node(NodeKind::Raw, "1"), false});
    Query q;
    q.members.push_back(std::move(find));
    shape->headingsSql = Print(q);
    shape->headingType = ToAccess(x.heading.type);
    return std::string();
  }
  if (!x.hasFixed) headings = *known;
  // The cells go before the hidden tie keys TOP n with ORDER BY left at the end.
  const size_t cellsAt = select.items.size() - static_cast<size_t>(shape->tieKeys);
  std::vector<SelectItem> cells;
  for (const CrosstabHeading& h : headings) {
    const std::string condition = "(" + headingText + ") IS " + h.literal;
    Node cell = value;
    FilterAggregates(cell, condition);
    cells.push_back(SelectItem{Node(NodeKind::Raw, "CASE WHEN count(*) FILTER (WHERE " + condition + ") > 0 THEN (" +
                                                       Print(cell) + ") END"),
                               h.name, 0});
    // Each heading's column takes the value's type; after the select's own
    // columns, which a * may have left uncounted.
    (shape->types.whole ? shape->types.first : shape->types.last).push_back({h.name, ToAccess(x.value.type), ""});
  }
  select.items.insert(select.items.begin() + static_cast<long>(cellsAt), cells.begin(), cells.end());
  if (shape->tieKeys) {
    // The form with a plain LIMIT, for when the keys cannot be selected.
    Query limited = body;
    limited.members[0].items.resize(cellsAt + cells.size());
    limited.members[0].limit = Node(NodeKind::Raw, std::to_string(shape->limit));
    shape->limitSql = Print(limited);
  }
  return Print(body);
}

}  // namespace sql

std::vector<CrosstabHeading> ReadCrosstabHeadings(sqlite3_stmt* stmt, ScanState* state, int type) {
  AccessType declared;
  if (type < 0 && AccessTypeOfDeclared(sqlite3_column_decltype(stmt, 0), &declared)) type = static_cast<int>(declared);
  const bool dates = type == static_cast<int>(AccessType::DateTime);
  const bool truth = type == static_cast<int>(AccessType::Boolean);
  std::vector<CrosstabHeading> out;
  for (;;) {
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return out;
    if (rc != SQLITE_ROW) throw StepError(rc, state);
    CrosstabHeading h;
    char buf[40];
    VARIANT v;
    const int storage = sqlite3_column_type(stmt, 0);
    if (storage == SQLITE_NULL) {
      h = {"<>", "NULL"};
    } else if (storage == SQLITE_INTEGER && !dates) {
      h.literal = std::to_string(sqlite3_column_int64(stmt, 0));
      // A Yes/No heading is named as Jet writes its values, whatever SQLite's 1.
      h.name = truth ? (sqlite3_column_int64(stmt, 0) ? "-1" : "0") : h.literal;
    } else if (Exact e; storage == SQLITE_BLOB && ExactOfKey(sqlite3_column_blob(stmt, 0),
                                                               static_cast<size_t>(sqlite3_column_bytes(stmt, 0)), &e)) {
      // A Currency or Decimal heading: named by its amount, matched by its exact value.
      h.name = e.Text();
      h.literal = std::string(kExact) + "('" + e.ScaledText() + "')";
    } else if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
      std::snprintf(buf, sizeof buf, "%.17g", sqlite3_column_double(stmt, 0));
      h.literal = buf;
      v.vt = dates ? VT_DATE : VT_R8;
      (dates ? v.date : v.dblVal) = sqlite3_column_double(stmt, 0);
      VariantToText(v, &h.name);
    } else {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      h.name.assign(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
      h.literal = "'";
      for (char c : h.name) h.literal += c == '\'' ? std::string("''") : std::string(1, c);
      h.literal += std::string("' COLLATE ") + kTextCollation;
    }
    out.push_back(std::move(h));
  }
}

}  // namespace jet
