// The syntax tree of a Jet SQL statement: the parser (Parser.h) builds it once,
// the typing reads it, the lowerings turn Jet's constructs into SQLite's node by
// node, and the printer (Printer.h) writes it out. Internal to the SQL
// translation.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/jet/sql/TypeRules.h"

namespace jet::sql {

struct Query;
using QueryPtr = std::shared_ptr<Query>;

enum class NodeKind {
  Column,      // [qualifier.]name
  Star,        // * or qualifier.*
  String,      // 'text' (quotes removed)
  Number,      // as written
  Date,        // #date#: text is the day number
  Null,
  Truth,       // True / False (and Yes / No after a comparison): text "-1" or "0"
  Unary,       // text: "-" or "+"
  Binary,      // text: the operator, words in lower case ("and", "mod", "&", "<>" ...)
  Not,
  Between,     // kids: value, low, high
  Like,        // kids: value, pattern
  In,          // kids: value, items...; or value and `query`
  IsNull,      // kids: value
  Exists,      // query
  Quantified,  // kids: value; text: the comparison; quantifier: all / any / some; query
  Call,        // text: the function's name as written (or the engine's); kids: arguments
  Paren,       // ( kids[0] )
  Subquery,    // ( query ) used as a value
  Case,        // CASE WHEN kids[0] THEN kids[1] ... [ELSE last] END (lowered IIf, Switch)
  Raw,         // SQLite text the lowerings made, printed as it stands
};

// One expression node. `type` is filled by the typing (Unknown until then).
struct Node {
  Node() = default;
  explicit Node(NodeKind k, std::string t = std::string()) : kind(k), text(std::move(t)) {}

  NodeKind kind = NodeKind::Raw;
  std::string text;
  std::string qualifier;   // Column, Star: the table or alias before the dot
  bool quoted = false;     // Column: written [bracketed] or is a word SQLite reserves
  bool qualifierQuoted = false;
  bool negated = false;    // NOT BETWEEN / LIKE / IN, IS NOT NULL
  bool distinct = false;   // Call: DISTINCT before its argument (Jet refuses it)
  bool hasElse = false;    // Case
  std::string quantifier;  // Quantified
  std::vector<Node> kids;
  QueryPtr query;
  size_t at = 0;           // the token the node starts at, for messages
  ExprType type = ExprType::Unknown;
};

struct SelectItem {
  Node expr;
  std::string alias;  // empty when none is written
  size_t at = 0;
};

struct OrderKey {
  Node expr;
  bool desc = false;
};

// A source of FROM: a table or saved query, a derived table, or a join of two.
struct Source {
  enum class Kind { Table, Derived, Join } kind = Kind::Table;
  std::string name;       // Table
  QueryPtr query;         // Derived
  std::string alias;      // as written; empty when none
  std::string join;       // Join: "INNER JOIN", "LEFT JOIN", "LEFT OUTER JOIN" ... as SQLite reads it
  std::vector<Source> sides;  // Join: left, right
  std::optional<Node> on;     // Join
  bool parenthesized = false;
  bool materialized = false;  // lowered: read through (SELECT * FROM name LIMIT -1)
};

struct Select {
  enum class Quantity { All, Distinct, DistinctRow } quantity = Quantity::All;
  bool allWritten = false;
  std::string top;  // TOP n: the digits; empty when none
  bool percent = false;
  std::vector<SelectItem> items;
  std::vector<Source> from;  // joined by commas
  std::optional<Node> where;
  std::vector<Node> groupBy;
  std::optional<Node> having;
  std::vector<OrderKey> orderBy;  // a lone select's, or a union member's own (in parentheses)
  std::optional<Node> limit;      // lowered TOP
  size_t at = 0;                  // the SELECT token
};

// A select, or selects joined by UNION / EXCEPT / INTERSECT; the ORDER BY after
// the last one orders the whole.
struct Query {
  std::vector<Select> members;
  std::vector<std::string> ops;  // between members: "UNION", "UNION ALL" ...
  std::vector<OrderKey> orderBy;  // of a compound
};

struct Parameter {
  std::string name;
  std::string type;
};

// TRANSFORM value SELECT ... PIVOT heading [IN (...)].
struct Crosstab {
  Node value;
  Node heading;
  std::vector<Node> fixed;  // the IN list
  bool hasFixed = false;
};

struct Statement {
  std::vector<Parameter> parameters;
  size_t parametersAt = 0;
  Query query;
  std::optional<Crosstab> crosstab;
};

}  // namespace jet::sql
