// Jet SQL to SQLite SQL. The statement is tokenized, grouped by parentheses and
// rewritten group by group: TOP n [PERCENT] becomes LIMIT, [names] and #dates#
// become SQLite names and day numbers, "..." strings become '...', & becomes a
// concatenation with Jet's NULL rule, True/False become -1/0, VBA functions get
// their registered names, and text literals and function results compare
// without regard to case.
#pragma once
#include <string>

namespace jet {

// The alias the translator gives an unnamed expression of the outermost select
// list; the cursor turns it into Jet's "Expr1000", "Expr1001"... by position.
extern const char kExprAlias[];

// Throws _com_error: JET_E_EMPTYSTATEMENT for a statement of blanks only,
// JET_E_SYNTAX for what Jet cannot parse, E_FAIL for statements that would change
// the database (which is read-only here).
std::string TranslateJetSql(const std::string& jetSql);

// The shape of the statements the preview and the export send most: plain columns
// (or *) of one table, no condition, no order, at most a TOP n. Such a statement
// can stream straight from the reader.
struct PlainSelect {
  bool plain = false;
  long long limit = -1;  // TOP n, or -1
  std::string table;     // the name after FROM
};
std::string TranslateJetSql(const std::string& jetSql, PlainSelect* shape);

}  // namespace jet
