// TRANSFORM value SELECT ... PIVOT heading [IN (...)] as one SQLite select: the
// select's own columns, then per heading h a column
//   CASE WHEN count(*) FILTER (WHERE heading IS h) > 0 THEN value' END AS "h"
// where value' is the value with each of its aggregates limited to the rows of h
// (FILTER), so that First, Last and the others see the same rows as in Jet.
#include "platform/jet/sql/Crosstab.h"

#include <sqlite3.h>

#include <cstdio>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Cursor.h"
#include "platform/jet/sql/Tree.h"
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

// A heading of an IN list: its name and its SQLite text.
CrosstabHeading FixedHeading(const Unit& u) {
  if (u.group) Syntax();
  switch (u.tok.kind) {
    case TokKind::String:
    case TokKind::Number:
    case TokKind::Date: {
      List one{u};
      RewriteExpressions(one);
      std::string literal;
      Emit(one, &literal);
      return {u.tok.text, literal};
    }
    default:
      Syntax();
  }
}

}  // namespace

std::string RewriteCrosstab(List& root, const std::vector<CrosstabHeading>* known, StatementShape* shape) {
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
    for (size_t k = 0; k < items.size(); k += 2) {
      if (k + 1 < items.size() && !IsOp(items[k + 1], ",")) Syntax();
      headings.push_back(FixedHeading(items[k]));
    }
    heading.resize(in);
  }

  StatementShape scratch;
  Rewrite(value, false, &scratch);
  Rewrite(heading, false, &scratch);
  Rewrite(body, true, shape);
  if (shape->tieKeys) Syntax();  // TOP with ties has no place in a crosstab
  const size_t from = FindWord(body, 1, "from");
  size_t rowsEnd = from;
  while (rowsEnd < body.size() && !IsWord(body[rowsEnd], "group") && !IsWord(body[rowsEnd], "having") &&
         !IsWord(body[rowsEnd], "order") && !(body[rowsEnd].tok.kind == TokKind::Raw && body[rowsEnd].tok.text == "LIMIT"))
    ++rowsEnd;
  if (from >= body.size()) Syntax();
  std::string headingText;
  Emit(heading, &headingText);

  if (!fixed && !known) {
    shape->headingsSql = "SELECT DISTINCT " + headingText + " " + EmitRange(body, from, rowsEnd) + " ORDER BY 1";
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
  }
  body.insert(body.begin() + static_cast<long>(from), cells.begin(), cells.end());
  std::string out;
  Emit(body, &out);
  return out;
}

}  // namespace sql

std::vector<CrosstabHeading> ReadCrosstabHeadings(sqlite3_stmt* stmt, ScanState* state) {
  AccessType declared;
  const bool dates = AccessTypeOfDeclared(sqlite3_column_decltype(stmt, 0), &declared) &&
                     declared == AccessType::DateTime;
  std::vector<CrosstabHeading> out;
  for (;;) {
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return out;
    if (rc != SQLITE_ROW) throw _com_error(StepErrorCode(rc, state));
    CrosstabHeading h;
    char buf[40];
    VARIANT v;
    switch (sqlite3_column_type(stmt, 0)) {
      case SQLITE_NULL:
        h = {"<>", "NULL"};
        break;
      case SQLITE_INTEGER:
        h.literal = std::to_string(sqlite3_column_int64(stmt, 0));
        h.name = h.literal;
        break;
      case SQLITE_FLOAT:
        std::snprintf(buf, sizeof buf, "%.17g", sqlite3_column_double(stmt, 0));
        h.literal = buf;
        v.vt = dates ? VT_DATE : VT_R8;
        (dates ? v.date : v.dblVal) = sqlite3_column_double(stmt, 0);
        VariantToText(v, &h.name);
        break;
      default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        h.name.assign(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
        h.literal = "'";
        for (char c : h.name) h.literal += c == '\'' ? std::string("''") : std::string(1, c);
        h.literal += std::string("' COLLATE ") + kTextCollation;
      }
    }
    out.push_back(std::move(h));
  }
}

}  // namespace jet
