// TRANSFORM value SELECT ... PIVOT heading [IN (...)] as one SQLite select: the
// select's own columns, then per heading h a column
//   CASE WHEN count(*) FILTER (WHERE heading IS h) > 0 THEN value' END AS "h"
// where value' is the value with each of its aggregates limited to the rows of h
// (FILTER), so that First, Last and the others see the same rows as in Jet.
#include "platform/jet/sql/Crosstab.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Cursor.h"
#include "platform/jet/sql/Tree.h"
#include "platform/jet/sql/Types.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

namespace sql {

namespace {

size_t FindWord(const List& list, size_t from, const char* word) {
  while (from < list.size() && !IsWord(list[from], word)) ++from;
  return from;
}

// The aggregates of `list` (groups entered, subqueries not) limited to the rows
// where `condition` holds.
void FilterAggregates(List& list, const std::string& condition) {
  for (size_t i = 0; i < list.size(); ++i) {
    Unit& u = list[i];
    if (IsAggregateCall(u) && i + 1 < list.size() && list[i + 1].group) {
      std::string call = u.tok.text + "(";
      Emit(list[i + 1].kids, &call);
      list[i] = Raw("(" + call + ") FILTER (WHERE " + condition + "))");
      list.erase(list.begin() + static_cast<long>(i) + 1);
    } else if (u.group && !(u.kids.size() && IsWord(u.kids[0], "select"))) {
      FilterAggregates(u.kids, condition);
    }
  }
}

// Whether `list` holds an aggregate (groups entered, subqueries not): a crosstab's
// value must, as each of its cells sums up rows.
bool HasAggregate(const List& list) {
  for (const Unit& u : list)
    if (IsAggregateCall(u) || (u.group && !(u.kids.size() && IsWord(u.kids[0], "select")) && HasAggregate(u.kids)))
      return true;
  return false;
}

// A heading of an IN list, units [a, b) of `items`: its name and its SQLite text.
// A literal, a number with its sign.
CrosstabHeading FixedHeading(const List& items, size_t a, size_t b) {
  const bool sign = b == a + 2 && (IsOp(items[a], "-") || IsOp(items[a], "+"));
  if (b != a + 1 && !sign) Syntax();
  const Unit& u = items[b - 1];
  if (u.group) Syntax();
  switch (u.tok.kind) {
    case TokKind::String:
    case TokKind::Date:
      if (sign) Syntax();
      [[fallthrough]];
    case TokKind::Number: {
      List one(items.begin() + static_cast<long>(a), items.begin() + static_cast<long>(b));
      RewriteExpressions(one);
      std::string literal;
      Emit(one, &literal);
      return {(sign && IsOp(items[a], "-") ? "-" : "") + u.tok.text, literal};
    }
    default:
      Syntax();
  }
}

// The types of the value and the heading, as the two columns of one select over
// the crosstab's rows; typing rewrites them in place as it does any select's (a
// date joined to text, Jet's -1 for true).
std::pair<int, int> TypeValueAndHeading(List* value, List* heading, const List& body, size_t from, size_t rowsEnd,
                                        const ColumnLookup* lookup) {
  List select{Unit{{TokKind::Word, "SELECT"}, {}, false, false}};
  select.insert(select.end(), value->begin(), value->end());
  select.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
  select.insert(select.end(), heading->begin(), heading->end());
  select.insert(select.end(), body.begin() + static_cast<long>(from), body.begin() + static_cast<long>(rowsEnd));
  ResultTypes types = TypeStatement(select, lookup);
  // Typing keeps each select item's units in place; only their insides change.
  auto item = select.begin() + 1;
  std::copy(item, item + static_cast<long>(value->size()), value->begin());
  item += static_cast<long>(value->size()) + 1;
  std::copy(item, item + static_cast<long>(heading->size()), heading->begin());
  if (types.first.size() < 2) return {-1, -1};
  return {types.first[0].type, types.first[1].type};
}

}  // namespace

std::string RewriteCrosstab(List& root, const std::vector<CrosstabHeading>* known, StatementShape* shape,
                            const ColumnLookup* lookup) {
  const size_t select = FindWord(root, 1, "select");
  size_t pivot = FindWord(root, select, "pivot");
  if (select <= 1 || select >= root.size() || pivot + 1 >= root.size()) Syntax();
  List value(root.begin() + 1, root.begin() + static_cast<long>(select));
  if (value.size() > 2 && IsWord(value[value.size() - 2], "as")) value.resize(value.size() - 2);
  List heading(root.begin() + static_cast<long>(pivot) + 1, root.end());
  List body(root.begin() + static_cast<long>(select), root.begin() + static_cast<long>(pivot));

  std::vector<CrosstabHeading> headings;
  const size_t in = FindWord(heading, 0, "in");
  const bool fixed = in < heading.size();
  if (fixed) {
    if (in == 0 || in + 2 != heading.size() || !heading[in + 1].group) Syntax();
    const List& items = heading[in + 1].kids;
    for (size_t a = 0, k = 0; k <= items.size(); ++k) {
      if (k < items.size() && !IsOp(items[k], ",")) continue;
      if (k == a) Syntax();
      headings.push_back(FixedHeading(items, a, k));
      a = k + 1;
    }
    heading.resize(in);
  }

  StatementShape scratch;
  Rewrite(value, false, &scratch, lookup);
  if (!HasAggregate(value)) Syntax();
  Rewrite(heading, false, &scratch, lookup);
  Rewrite(body, true, shape, lookup);
  const size_t from = FindWord(body, 1, "from");
  // TOP n with ORDER BY left its hidden tie keys (", key AS alias" each) at the
  // end of the select list: the cells go before them.
  size_t cellsAt = from;
  for (int k = 0; k < shape->tieKeys; ++k) {
    if (cellsAt < 3 || !IsWord(body[cellsAt - 2], "as")) Syntax();
    do --cellsAt; while (cellsAt > 1 && !IsOp(body[cellsAt], ","));
  }
  size_t rowsEnd = from;
  while (rowsEnd < body.size() && !IsWord(body[rowsEnd], "group") && !IsWord(body[rowsEnd], "having") &&
         !IsWord(body[rowsEnd], "order") && !(body[rowsEnd].tok.kind == TokKind::Raw && body[rowsEnd].tok.text == "LIMIT"))
    ++rowsEnd;
  if (from >= body.size()) Syntax();
  const std::pair<int, int> types = TypeValueAndHeading(&value, &heading, body, from, rowsEnd, lookup);
  std::string headingText;
  Emit(heading, &headingText);
  // A Yes/No heading as Jet's -1 or 0 (SQLite's comparisons give 1), so that
  // its columns come in Jet's order: -1 first.
  if (types.second == static_cast<int>(AccessType::Boolean)) headingText = "-((" + headingText + ") <> 0)";

  if (!fixed && !known) {
    // Headings that differ only in case are one heading, in Jet's order of text.
    shape->headingsSql = "SELECT DISTINCT (" + headingText + ") COLLATE " + kTextCollation + " " +
                         EmitRange(body, from, rowsEnd) + " ORDER BY 1";
    shape->headingType = types.second;
    return std::string();
  }
  if (!fixed) headings = *known;
  List cells;
  for (const CrosstabHeading& h : headings) {
    const std::string condition = "(" + headingText + ") IS " + h.literal;
    List cell = value;
    FilterAggregates(cell, condition);
    std::string cellText;
    Emit(cell, &cellText);
    cells.push_back(Raw(", CASE WHEN count(*) FILTER (WHERE " + condition + ") > 0 THEN (" + cellText + ") END AS"));
    cells.push_back(Unit{{TokKind::Name, h.name}, {}, false, false});
    // Each heading's column takes the value's type; after the select's own
    // columns, which a * may have left uncounted.
    (shape->types.whole ? shape->types.first : shape->types.last).push_back({h.name, types.first, ""});
  }
  body.insert(body.begin() + static_cast<long>(cellsAt), cells.begin(), cells.end());
  if (shape->tieKeys) {
    // The form with a plain LIMIT, for when the keys cannot be selected.
    List limited = body;
    const size_t hidden = cellsAt + cells.size(), fromNow = from + cells.size();
    limited.erase(limited.begin() + static_cast<long>(hidden), limited.begin() + static_cast<long>(fromNow));
    limited.insert(limited.end(), {Raw("LIMIT"), Raw(std::to_string(shape->limit))});
    shape->limitSql.clear();
    Emit(limited, &shape->limitSql);
  }
  std::string out;
  Emit(body, &out);
  return out;
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
