#include "platform/jet/sql/ScalarSubqueries.h"

#include <sqlite3.h>

#include <set>
#include <string>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/sql/VirtualTable.h"

namespace jet {

namespace sql {

namespace {

const char kSingleRowFunction[] = "vba_singlerow";
const char kSingleRowColumn[] = "__jet_single";

// An aggregate as the lowering writes it (the exact Sum and Avg of Currency
// and Decimal too).
bool IsAggregateCall(const Node& n) {
  if (n.kind != NodeKind::Call) return false;
  static const std::set<std::string> names = {"count", "sum", "avg", "min", "max", "vba_first", "vba_last",
                                              "vba_stdev", "vba_stdevp", "vba_var", "vba_varp",
                                              kExactSum, kExactAverage};
  return names.count(LowerAscii(n.text)) > 0;
}

// Whether an aggregate stands in the expression outside parentheses and the
// arguments of calls.
bool AggregateOutside(const Node& n) {
  if (IsAggregateCall(n)) return true;
  // Exact money's conversions and arithmetic stand for the operators they lower.
  const bool money = n.kind == NodeKind::Call && LowerAscii(n.text).rfind("jet_", 0) == 0;
  if (!money && n.kind != NodeKind::Binary && n.kind != NodeKind::Unary && n.kind != NodeKind::Not) return false;
  for (const Node& k : n.kids)
    if (AggregateOutside(k)) return true;
  return false;
}

// Whether the select gives one row whatever the data: an aggregate in it and
// no GROUP BY.
bool OneRowAlways(const Query& q) {
  if (q.members.size() != 1) return false;
  const Select& s = q.members[0];
  if (!s.groupBy.empty()) return false;
  for (const SelectItem& item : s.items)
    if (AggregateOutside(item.expr)) return true;
  if (s.where && AggregateOutside(*s.where)) return true;
  if (s.having && AggregateOutside(*s.having)) return true;
  for (const OrderKey& key : s.orderBy)
    if (AggregateOutside(key.expr)) return true;
  return false;
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

// (SELECT x FROM ...) -> (SELECT vba_singlerow(__jet_single) FROM (SELECT x AS
// __jet_single FROM ...)).
void GuardScalarSubquery(Query* q) {
  if (q->members.empty() || OneRowAlways(*q)) return;
  const Select& first = q->members[0];
  if (first.items.size() != 1 || first.items[0].expr.kind == NodeKind::Star) return;
  auto inner = std::make_shared<Query>(std::move(*q));
  inner->members[0].items[0].alias = kSingleRowColumn;
  Select outer;
  Node call(NodeKind::Raw, std::string(kSingleRowFunction) + "(" + kSingleRowColumn + ")");
  outer.items.push_back(SelectItem{std::move(call), "", 0});
  Source d;
  d.kind = Source::Kind::Derived;
  d.query = std::move(inner);
  outer.from.push_back(std::move(d));
  *q = Query();
  q->members.push_back(std::move(outer));
}

bool RegisterSingleRowCheck(sqlite3* db, ScanState* state) {
  return sqlite3_create_function(db, kSingleRowFunction, 1, SQLITE_UTF8, state, nullptr, Step, Final) == SQLITE_OK;
}

}  // namespace sql

}  // namespace jet
