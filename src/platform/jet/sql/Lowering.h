// Jet's constructs as SQLite's, node by node on the typed tree (Resolve.h):
// TOP n with Jet's ties, TOP n PERCENT, DISTINCTROW, IIf and Switch as CASE, &
// and + with Jet's NULL and text rules, / \ Mod ^ Xor Eqv Imp as VBA's
// operators, exact Currency and Decimal arithmetic (Money.h), the text forms of
// dates, Singles and Currency where text is wanted, Jet's -1 for true, quantified
// comparisons, subqueries used as values (ScalarSubqueries.h), and the tables of
// joins read through subqueries SQLite materializes. Internal to the SQL
// translation.
#pragma once
#include "platform/jet/sql/Resolve.h"

namespace jet { struct CrosstabHeading; }

namespace jet::sql {

// Lowers the query; `outermost` names its first select's unnamed fields, and
// fills shape->limit, tieKeys and limitSql from its TOP.
void LowerQuery(Query& q, bool outermost, StatementShape* shape, const Resolution& r);
// Lowers one expression.
Node LowerExpression(const Node& n, const Resolution& r);

// A TRANSFORM statement (Crosstab.cpp), resolved and lowered: its SQLite text
// once `headings` are given or fixed by an IN list; else empty, with
// shape->headingsSql set.
std::string LowerCrosstab(Statement& st, const std::vector<CrosstabHeading>* headings, StatementShape* shape,
                          Resolution* r);

// select col, t.col, * from t [LIMIT n], nothing more: fills shape->plain, table, limit.
void MatchPlain(const Query& q, StatementShape* shape);

}  // namespace jet::sql
