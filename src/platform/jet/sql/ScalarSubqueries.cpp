// A subquery used as a value (Salary > (SELECT Budget FROM Dept), or a field of
// the select list) gives at most one row: Jet stops with its error 3354 where
// SQLite would quietly take the first row. So each such subquery that may give
// several rows reads through an aggregate that fails at the second.
#include <sqlite3.h>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Tree.h"
#include "platform/jet/sql/VirtualTable.h"

namespace jet {

namespace sql {

namespace {

const char kSingleRowFunction[] = "vba_singlerow";
const char kSingleRowColumn[] = "__jet_single";

// Whether the select of `kids` gives one row whatever the data: an aggregate in
// its select list and no GROUP BY.
bool OneRowAlways(const List& kids) {
  bool aggregate = false;
  for (const Unit& u : kids) {
    if (IsWord(u, "group") || IsCompoundWord(u)) return false;
    aggregate = aggregate || IsAggregateCall(u);
  }
  return aggregate;
}

// (SELECT x FROM ...) -> (SELECT vba_singlerow(__jet_single) FROM (SELECT x AS
// __jet_single FROM ...)); left alone when its select list is not one field.
void Guard(Unit& sub) {
  List& kids = sub.kids;
  size_t from = 1;
  while (from < kids.size() && !IsWord(kids[from], "from")) {
    if (IsOp(kids[from], ",") || IsOp(kids[from], "*")) return;
    ++from;
  }
  if (from >= 3 && IsWord(kids[from - 2], "as")) {
    kids.erase(kids.begin() + static_cast<long>(from) - 2, kids.begin() + static_cast<long>(from));
    from -= 2;
  }
  kids.insert(kids.begin() + static_cast<long>(from), {Raw("AS"), Raw(kSingleRowColumn)});
  Unit inner{{TokKind::Open, "("}, std::move(kids), true, false};
  sub.kids = {Raw(std::string("SELECT ") + kSingleRowFunction + "(" + kSingleRowColumn + ") FROM"), std::move(inner)};
}

bool EndsFrom(const Unit& u) {
  return IsWord(u, "where") || IsWord(u, "group") || IsWord(u, "having") || IsWord(u, "order") ||
         IsCompoundWord(u) || (u.tok.kind == TokKind::Raw && u.tok.text == "LIMIT");
}

bool OpensFrom(const Unit& u) {
  if (IsWord(u, "from")) return true;
  // The translator's own text may end in FROM (a quantified comparison's fold).
  const std::string& t = u.tok.text;
  return !u.group && u.tok.kind == TokKind::Raw && t.size() >= 4 && t.compare(t.size() - 4, 4, "FROM") == 0;
}

// `inFrom`: the list is a parenthesized join of a FROM clause.
void Walk(List& list, bool inFrom) {
  bool fromClause = inFrom;
  for (size_t k = 0; k < list.size(); ++k) {
    Unit& u = list[k];
    if (!u.group) {
      if (OpensFrom(u)) fromClause = true;
      else if (EndsFrom(u)) fromClause = false;
      continue;
    }
    const bool select = !u.kids.empty() && IsWord(u.kids[0], "select");
    if (!select) {
      Walk(u.kids, fromClause);  // an expression, a list, or a join of tables
      continue;
    }
    Walk(u.kids, false);
    const Unit* before = k > 0 ? &list[k - 1] : nullptr;
    const bool source = fromClause && (!before || OpensFrom(*before) || IsWord(*before, "join") ||
                                       IsOp(*before, ","));
    const bool set = before && (IsWord(*before, "in") || IsWord(*before, "exists"));
    if (!source && !set && !OneRowAlways(u.kids)) Guard(u);
  }
}

// The aggregate: the one value of its rows (NULL for none); at a second row it
// leaves Jet's error for the runner and stops the statement.
struct SingleRow {
  sqlite3_value* value;
  bool seen;
};

void Step(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* s = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, sizeof(SingleRow)));
  if (!s) return sqlite3_result_error_nomem(ctx);
  if (s->seen) {
    static_cast<ScanState*>(sqlite3_user_data(ctx))->pending = _com_error(JET_E_SUBQUERYROWS);
    return sqlite3_result_error(ctx, "At most one record can be returned by this subquery.", -1);
  }
  s->seen = true;
  s->value = sqlite3_value_dup(argv[0]);
  if (!s->value) sqlite3_result_error_nomem(ctx);
}

void Final(sqlite3_context* ctx) {
  auto* s = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, 0));
  if (!s || !s->value) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, s->value);
  sqlite3_value_free(s->value);
}

}  // namespace

void GuardScalarSubqueries(List& root) { Walk(root, false); }

bool RegisterSingleRowCheck(sqlite3* db, ScanState* state) {
  return sqlite3_create_function(db, kSingleRowFunction, 1, SQLITE_UTF8, state, nullptr, Step, Final) == SQLITE_OK;
}

}  // namespace sql

}  // namespace jet
