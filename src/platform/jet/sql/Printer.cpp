#include "platform/jet/sql/Printer.h"

#include <cstdio>
#include <set>

#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/Functions.h"
#include "platform/com/SqlName.h"

namespace jet::sql {

std::string DayNumberText(double d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", d);
  std::string s = buf;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";  // stays a REAL in SQLite
  return s;
}

namespace {

// SQLite keywords that are plain names in Jet; they reach SQLite quoted so that a
// column called "limit" or "case" stays a column.
bool IsSqliteOnlyWord(const std::string& word) {
  static const std::set<std::string> k = {
      "abort", "action", "after", "analyze", "attach", "autoincrement", "before", "begin",
      "cascade", "case", "cast", "check", "collate", "commit", "conflict", "constraint",
      "current_date", "current_time", "current_timestamp", "database", "default",
      "deferrable", "deferred", "detach", "do", "each", "else", "end", "escape", "except",
      "exclude", "exclusive", "explain", "fail", "filter", "following", "for", "foreign",
      "generated", "glob", "groups", "if", "ignore", "immediate", "indexed", "initially",
      "instead", "intersect", "isnull", "limit", "match", "materialized", "natural",
      "nothing", "notnull", "nulls", "of", "offset", "others", "over", "partition", "plan",
      "pragma", "preceding", "primary", "query", "raise", "range", "recursive",
      "references", "regexp", "reindex", "release", "rename", "restrict", "returning",
      "rollback", "row", "rows", "savepoint", "table", "temp", "temporary", "then", "ties",
      "to", "transaction", "trigger", "unbounded", "unique", "using", "vacuum", "view",
      "virtual", "when", "window", "without", "key", "index"};
  return k.count(LowerAscii(word)) > 0;
}

// SQLite's own functions, the only ones portable SQL may call.
bool IsSqliteFunction(const std::string& lower) {
  static const std::set<std::string> k = {"count", "sum", "avg", "min", "max", "abs", "length", "lower", "upper",
                                          "substr", "instr", "replace", "trim", "ltrim", "rtrim", "round",
                                          "coalesce", "ifnull", "nullif", "typeof", "total"};
  return k.count(lower) > 0;
}

class Printer {
 public:
  Printer(PrintMode mode, std::string* unwritable) : m_mode(mode), m_unwritable(unwritable) {}

  void Refuse(const std::string& what) {
    if (m_unwritable && m_unwritable->empty()) *m_unwritable = what;
  }

  std::string Collate() const {
    return std::string(" COLLATE ") + (m_mode == PrintMode::Engine ? kTextCollation : "NOCASE");
  }

  std::string Name(const std::string& name, bool quoted) const {
    return quoted || IsSqliteOnlyWord(name) ? QuotedSqlName(name) : name;
  }

  std::string Expr(const Node& n) {
    switch (n.kind) {
      case NodeKind::Column:
        return (n.qualifier.empty() ? std::string() : Name(n.qualifier, n.qualifierQuoted) + ".") + Name(n.text, n.quoted);
      case NodeKind::Star:
        return n.qualifier.empty() ? "*" : Name(n.qualifier, n.qualifierQuoted) + ".*";
      case NodeKind::String: {
        std::string out = "'";
        for (char c : n.text) {
          if (c == '\'') out += '\'';
          out += c;
        }
        return out + "'" + Collate();
      }
      case NodeKind::Number: case NodeKind::Date: return n.text;
      case NodeKind::Null: return "NULL";
      case NodeKind::Truth: return n.text == "0" ? "0" : "(-1)";
      case NodeKind::Unary: return n.text + " " + Expr(n.kids[0]);
      case NodeKind::Binary: {
        std::string op = n.text;
        if (op == "and" || op == "or") op = op == "and" ? "AND" : "OR";
        else if (op != "=" && op != "<>" && op != "!=" && op != "<" && op != ">" && op != "<=" && op != ">=" &&
                 op != "-" && op != "*")
          Refuse("the operator " + op);  // lowered before printing in the engine's mode
        return Expr(n.kids[0]) + " " + op + " " + Expr(n.kids[1]);
      }
      case NodeKind::Not: return "NOT " + Expr(n.kids[0]);
      case NodeKind::Between:
        return Expr(n.kids[0]) + (n.negated ? " NOT" : "") + " BETWEEN " + Expr(n.kids[1]) + " AND " + Expr(n.kids[2]);
      case NodeKind::Like:
        if (m_mode == PrintMode::Portable) Refuse("LIKE");
        return Expr(n.kids[0]) + (n.negated ? " NOT" : "") + " LIKE " + Expr(n.kids[1]);
      case NodeKind::In: {
        std::string out = Expr(n.kids[0]) + (n.negated ? " NOT" : "") + " IN (";
        if (n.query) return out + Query(*n.query) + ")";
        for (size_t k = 1; k < n.kids.size(); ++k) out += (k > 1 ? ", " : "") + Expr(n.kids[k]);
        return out + ")";
      }
      case NodeKind::IsNull: return Expr(n.kids[0]) + (n.negated ? " IS NOT NULL" : " IS NULL");
      case NodeKind::Exists: return "EXISTS (" + Query(*n.query) + ")";
      case NodeKind::Quantified:
        Refuse("a comparison with " + n.quantifier);
        return Expr(n.kids[0]) + " " + n.text + " " + n.quantifier + " (" + Query(*n.query) + ")";
      case NodeKind::Call: {
        const std::string lower = LowerAscii(n.text);
        if (m_mode == PrintMode::Portable && !IsSqliteFunction(lower)) Refuse("the function " + n.text);
        std::string out = n.text + "(" + (n.distinct ? "DISTINCT " : "");
        for (size_t k = 0; k < n.kids.size(); ++k) out += (k ? ", " : "") + Expr(n.kids[k]);
        // A function's result compares as text without regard to case, as Jet's do;
        // one whose type is Binary (a BLOB, a sort key) compares as bytes, said
        // outright: SQLite gives a call the collation of an argument that has one.
        return out + ")" + (n.type == ExprType::Binary ? " COLLATE BINARY" : Collate());
      }
      case NodeKind::Paren: return "(" + Expr(n.kids[0]) + ")";
      case NodeKind::Subquery: return "(" + Query(*n.query) + ")";
      case NodeKind::Case: {
        std::string out = "(CASE";
        const size_t pairs = (n.kids.size() - (n.hasElse ? 1 : 0)) / 2;
        for (size_t k = 0; k < pairs; ++k) out += " WHEN " + Expr(n.kids[2 * k]) + " THEN " + Expr(n.kids[2 * k + 1]);
        if (n.hasElse) out += " ELSE " + Expr(n.kids.back());
        return out + " END)" + Collate();
      }
      case NodeKind::Raw:
        return n.text;
    }
    return std::string();
  }

  std::string SourceText(const Source& s) {
    std::string out;
    switch (s.kind) {
      case Source::Kind::Table:
        out = s.materialized ? "(SELECT * FROM " + QuotedSqlName(s.name) + " LIMIT -1)" : QuotedSqlName(s.name);
        if (s.materialized && s.alias.empty()) out += " AS " + QuotedSqlName(s.name);
        break;
      case Source::Kind::Derived:
        out = "(" + Query(*s.query) + ")";
        break;
      case Source::Kind::Join:
        out = SourceText(s.sides[0]) + " " + s.join + " " + SourceText(s.sides[1]);
        if (s.on) out += " ON " + Expr(*s.on);
        if (s.parenthesized) out = "(" + out + ")";
        return out;
    }
    if (!s.alias.empty()) out += " AS " + QuotedSqlName(s.alias);
    return out;
  }

  std::string Keys(const std::vector<OrderKey>& keys) {
    std::string out;
    for (size_t k = 0; k < keys.size(); ++k)
      out += (k ? ", " : "") + Expr(keys[k].expr) + (keys[k].desc ? " DESC" : "");
    return out;
  }

  std::string SelectText(const Select& s) {
    std::string out = "SELECT";
    if (s.quantity == Select::Quantity::Distinct) out += " DISTINCT";
    for (size_t k = 0; k < s.items.size(); ++k) {
      out += k ? ", " : " ";
      out += Expr(s.items[k].expr);
      if (!s.items[k].alias.empty()) out += " AS " + QuotedSqlName(s.items[k].alias);
    }
    for (size_t k = 0; k < s.from.size(); ++k) out += (k ? ", " : " FROM ") + SourceText(s.from[k]);
    if (s.where) out += " WHERE " + Expr(*s.where);
    for (size_t k = 0; k < s.groupBy.size(); ++k) out += (k ? ", " : " GROUP BY ") + Expr(s.groupBy[k]);
    if (s.having) out += " HAVING " + Expr(*s.having);
    if (!s.orderBy.empty()) out += " ORDER BY " + Keys(s.orderBy);
    if (s.limit) out += " LIMIT " + Expr(*s.limit);
    return out;
  }

  std::string Query(const sql::Query& q) {
    std::string out;
    for (size_t k = 0; k < q.members.size(); ++k) {
      if (k) out += " " + q.ops[k - 1] + " ";
      out += SelectText(q.members[k]);
    }
    if (!q.orderBy.empty()) out += " ORDER BY " + Keys(q.orderBy);
    return out;
  }

 private:
  PrintMode m_mode;
  std::string* m_unwritable;
};

}  // namespace

std::string Print(const Query& q, PrintMode mode, std::string* unwritable) {
  if (unwritable) unwritable->clear();
  return Printer(mode, unwritable).Query(q);
}

std::string Print(const Node& n, PrintMode mode, std::string* unwritable) {
  if (unwritable) unwritable->clear();
  return Printer(mode, unwritable).Expr(n);
}

}  // namespace jet::sql
