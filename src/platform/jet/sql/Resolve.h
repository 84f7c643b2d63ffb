// Names and types on the statement's tree: each select's sources with their
// columns (tables and saved queries through the ColumnLookup, derived tables
// from their own select lists), and one Jet type on every expression node
// (Node::type), by the rules of TypeRules.h. The tree is read, not rewritten,
// except that a field's use of an earlier field's alias becomes that field's
// expression (Jet allows it, SQLite does not). Internal to the SQL translation.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/jet/sql/Ast.h"
#include "platform/jet/sql/Translate.h"

namespace jet::sql {

struct ScopeSource {
  std::string alias;  // lower case: the alias, else the table's name
  std::string label;  // the alias as written when it differs from the table's name
  std::string table;  // the table or saved query, as written; empty for a derived table
  std::vector<TypedColumn> columns;
  bool known = false;
};

struct Scope {
  std::vector<ScopeSource> sources;
  const Scope* parent = nullptr;
};

struct Resolution {
  const ColumnLookup* lookup = nullptr;
  // Each select's own scope.
  std::map<const Select*, std::unique_ptr<Scope>> scopes;
  // The tables and saved queries read, as first written, each once (StatementShape::sources).
  std::vector<std::string> sources;
  std::vector<std::string> ambiguous;       // StatementShape::ambiguous
  std::vector<std::string> missingInJoins;  // StatementShape::missingInJoins
  // Whether `name`'s columns are known; they go to *columns.
  bool Lookup(const std::string& name, std::vector<TypedColumn>* columns) const {
    std::string similar;
    return lookup && *lookup && (*lookup)(name, columns, &similar) == SourceFound::Columns;
  }
};

// Types the query (its subqueries too); the columns of its result, a * of a
// source whose columns are not known as one entry named "*".
std::vector<TypedColumn> ResolveQuery(Query& q, const Scope* parent, Resolution* r);

// The result's columns as the cursor reads them (Translate.h): `first` up to
// a * whose columns are not known, `last` after the last one.
ResultTypes ResultTypesOf(const std::vector<TypedColumn>& columns);

// Types one expression in `scope` (a crosstab's value and heading).
void ResolveExpression(Node& n, const Scope& scope, Resolution* r);

// The type of the column `qualifier.name` in `scope` and the scopes around it.
ExprType ColumnType(const Scope& scope, const std::string& qualifier, const std::string& name);

// Whether `name` is a column of a source of the scope or a scope around it;
// *known false when a source's columns are not known.
bool IsScopeColumn(const Scope& scope, const std::string& name, bool* known);

// The mapped name a call is typed by: VBA's name without "vba_", or the
// aggregate's, in lower case.
std::string CallName(const Node& call);
// Whether the expression holds an aggregate call (subqueries not entered).
bool HasAggregate(const Node& n);
bool IsAggregateName(const std::string& lowerName);

}  // namespace jet::sql
