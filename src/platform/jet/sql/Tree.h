// The statement as the translator works on it: tokens grouped by parentheses
// into a tree of units, the tests the rewrites ask of a unit, and the way back
// to text. Internal to the SQL translation (Translate.cpp, Expressions.cpp,
// Selects.cpp, Crosstab.cpp).
#pragma once
#include <string>
#include <vector>

#include "platform/jet/sql/Tokens.h"
#include "platform/jet/sql/Translate.h"

struct sqlite3;

namespace jet { struct CrosstabHeading; struct ScanState; }

namespace jet::sql {

// A token, or a parenthesized group holding its own list of units.
struct Unit {
  Token tok;
  std::vector<Unit> kids;
  bool group = false;
  bool call = false;  // a function name: a word followed by its argument group
};
using List = std::vector<Unit>;

[[noreturn]] void Syntax();  // throws _com_error(JET_E_SYNTAX)
// The same, described as near the units from list[at] on (the last one when `at`
// is past the end): the stretch of the statement the user sees quoted.
[[noreturn]] void Syntax(const List& list, size_t at);

bool IsWord(const Unit& u, const char* word);  // the bare word, without regard to ASCII case
bool IsOp(const Unit& u, const char* op);
bool IsKeyword(const Unit& u);     // a word of Jet's grammar: never a name or a function
bool IsName(const Unit& u);        // a bare or [bracketed] name
bool IsOperandEnd(const Unit& u);  // can end an operand: a literal, a name, NULL, a group
bool IsTighterOp(const Unit& u);   // + - * / %: binds tighter than &
bool IsComparison(const Unit& u);
bool IsCompoundWord(const Unit& u);  // UNION, EXCEPT, INTERSECT
Unit Raw(const std::string& text);   // text for SQLite as it stands

// SQLite text of units (or of units [a, b) of a list).
void Emit(const List& list, std::string* out);
std::string EmitRange(const List& list, size_t a, size_t b);

// Every rewrite of a list, its groups first (Translate.cpp).
void Rewrite(List& list, bool outermost, StatementShape* shape, const ColumnLookup* lookup);
// A TRANSFORM statement (Crosstab.cpp): its SQLite text once `headings` are
// given or fixed by an IN list; else empty, with shape->headingsSql set.
std::string RewriteCrosstab(List& root, const std::vector<CrosstabHeading>* headings, StatementShape* shape,
                            const ColumnLookup* lookup);
// Count, Sum, Avg, Min, Max, First, Last, StDev, StDevP, Var, VarP (Selects.cpp).
bool IsAggregateCall(const Unit& u);

// Whether `u` is a comparison with ALL, ANY or SOME as RewriteExpressions left it:
// a Yes/No, -1 or 0 (or NULL).
bool IsQuantifiedComparison(const Unit& u);

// Literals, names, functions and operators (&, +, Mod) of one list, groups not
// entered.
void RewriteExpressions(List& list);
// The joins of one list: their tables read through subqueries SQLite materializes.
void MaterializeJoinTables(List& list);
// The selects of one list: TOP, DISTINCTROW, Jet's checks of select lists, the
// names of unnamed expressions (outermost select only).
void RewriteSelects(List& list, bool outermost, StatementShape* shape, const ColumnLookup* lookup);
// A select-list field's use of an earlier field's alias, as its expression.
void ExpandSelectAliases(List& list, const ColumnLookup* lookup);
// Whether the whole statement is a plain select of one table (fills shape).
void MatchPlain(const List& root, StatementShape* shape);
// Each subquery used as a value that may give several rows, read through the
// aggregate that fails at a second row (ScalarSubqueries.cpp); typed already.
void GuardScalarSubqueries(List& root);
// That aggregate, which leaves JET_E_SUBQUERYROWS in `state` for the runner.
bool RegisterSingleRowCheck(sqlite3* db, ScanState* state);

}  // namespace jet::sql
