#include "platform/jet/sql/Printer.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/com/OleDate.h"
#include "platform/com/Translate.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/FunctionTable.h"
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

// A reason in the user's language, with its one word put in.
std::string Said(const char* source, const std::string& word = std::string()) {
  std::string text = ::Translate(source);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, word);
  return text;
}

bool IsWhole(ExprType t) { return t == ExprType::Byte || t == ExprType::Integer || t == ExprType::Long; }

// Whether a portable form gives Jet's value for these arguments: a String
// parameter only from text or a whole number (the text forms of reals, dates and
// money differ between VBA and SQLite); Sum and Avg only of whole numbers (money
// and reals are summed exactly, or in another order, by Jet); Min and Max not of
// text (Jet orders it by its own collation). Else the reason.
std::string PortableMisfit(const vba::FunctionInfo& row, const Node& call) {
  for (size_t k = 0; k < call.kids.size(); ++k) {
    const ExprType t = call.kids[k].type;
    if (row.kind == vba::FunctionKind::SqliteAggregate) {
      if ((row.name == "sum" || row.name == "avg") && !IsWhole(t) && t != ExprType::Boolean)
        return Said("非整数值的 %s（Access 的求和是精确的）", row.name);
      if ((row.name == "min" || row.name == "max") && (t == ExprType::Text || t == ExprType::Unknown))
        return Said("文本的 %s（Access 按自己的排序规则比较文本）", row.name);
    } else if (row.TextParameter(k, call.kids.size()) && t != ExprType::Text && !IsWhole(t)) {
      return Said("函数 %s 作用于文本形式在 SQLite 中不同的值", row.name);
    }
  }
  return std::string();
}

// The portable form of a call: %1, %2 ... replaced by the arguments (%, and %|
// by all of them, FunctionTable.h), or the
// SQLite function's name before them; empty when the form names an argument the
// call does not give.
std::string PortableCall(const char* form, const std::vector<std::string>& args, bool distinct) {
  std::string f = form;
  if (f.find('%') == std::string::npos) {
    std::string out = f + "(" + (distinct ? "DISTINCT " : "");
    for (size_t k = 0; k < args.size(); ++k) out += (k ? ", " : "") + args[k];
    return out + ")";
  }
  std::string out;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '%' && i + 1 < f.size() && f[i + 1] >= '1' && f[i + 1] <= '9') {
      const size_t k = static_cast<size_t>(f[++i] - '1');
      if (k >= args.size()) return std::string();
      out += args[k];
    } else if (f[i] == '%' && i + 1 < f.size() && (f[i + 1] == ',' || f[i + 1] == '|')) {
      // Every argument: "%," separated by commas, "%|" joined by || with NULL as ''.
      const bool join = f[++i] == '|';
      for (size_t k = 0; k < args.size(); ++k)
        out += (k ? (join ? " || " : ", ") : "") + (join ? "ifnull(" + args[k] + ", '')" : args[k]);
    } else {
      out += f[i];
    }
  }
  return out;
}

// Why a call has no portable form, in the words of what the user wrote.
std::string WithoutPortableForm(const vba::FunctionInfo* row, const Node& call) {
  static const std::map<std::string, std::string> kOperators = {
      {"cat", "&"}, {"add", "+"}, {"div", "/"}, {"idiv", "\\"}, {"mod", "Mod"}, {"pow", "^"},
      {"xor", "Xor"}, {"eqv", "Eqv"}, {"imp", "Imp"}};
  if (row && row->kind == vba::FunctionKind::Operator && kOperators.count(row->name))
    return Said("运算符 %s 在 SQLite 中没有精确的写法", kOperators.at(row->name));
  if (row && (row->kind == vba::FunctionKind::Function || row->kind == vba::FunctionKind::Aggregate))
    return Said("函数 %s 在 SQLite 中没有精确的写法", row->name);
  if (call.type == ExprType::Currency || call.type == ExprType::Decimal)
    return Said("货币或小数的运算（Access 按精确值计算）");
  if (call.type == ExprType::Text && call.kids.size() == 1)  // what the lowering wraps a value in where text is wanted
    return Said("日期、单精度数或货币值的文本形式（SQLite 的写法不同）");
  return Said("Kelvane 自己的函数（%s）", call.text);
}

// A lowering's own text that any SQLite reads: a number (TOP's LIMIT, Jet's 0).
bool IsPlainNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Jet's -1 for a truth the grammar made, as the lowering writes it: -((x) <> 0).
bool IsJetTruth(const Node& n) {
  if (n.kind != NodeKind::Unary || n.text != "-" || n.type != ExprType::Boolean || n.kids.empty()) return false;
  const Node& p = n.kids[0];
  if (p.kind != NodeKind::Paren || p.kids.empty()) return false;
  const Node& test = p.kids[0];
  return test.kind == NodeKind::Binary && test.text == "<>" && test.kids.size() == 2 &&
         test.kids[1].kind == NodeKind::Raw && test.kids[1].text == "0";
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
      case NodeKind::Number: return n.text;
      case NodeKind::Date: {
        // The whole-database output keeps a date as its ISO 8601 text, which
        // compares and sorts as the dates do.
        std::string iso;
        if (m_mode == PrintMode::Engine) return n.text;
        if (!oledate::IsoDateTime(std::strtod(n.text.c_str(), nullptr), &iso)) Refuse(Said("日期 #%s#", n.qualifier));
        return "'" + iso + "'";
      }
      case NodeKind::Null: return "NULL";
      // A portable statement reads Yes/No values as SQLite keeps them: 1 and 0.
      case NodeKind::Truth: return n.text == "0" ? "0" : m_mode == PrintMode::Portable ? "1" : "(-1)";
      case NodeKind::Unary:
        if (m_mode == PrintMode::Portable && IsJetTruth(n)) return Expr(n.kids[0]);
        return n.text + " " + Expr(n.kids[0]);
      case NodeKind::Binary: {
        std::string op = n.text;
        if (op == "and" || op == "or") op = op == "and" ? "AND" : "OR";
        else if (op != "=" && op != "<>" && op != "!=" && op != "<" && op != ">" && op != "<=" && op != ">=" &&
                 op != "-" && op != "*")
          Refuse(Said("运算符 %s", op));  // lowered before printing in the engine's mode
        if (m_mode == PrintMode::Portable && (op == "-" || op == "*")) {
          if (n.type == ExprType::Currency || n.type == ExprType::Decimal)
            Refuse(Said("货币或小数的运算（Access 按精确值计算）"));
          if (n.type == ExprType::Date || n.kids[0].type == ExprType::Date || n.kids[1].type == ExprType::Date)
            Refuse(Said("日期的运算（输出中的日期是文本）"));
          if (n.kids[0].type == ExprType::Boolean || n.kids[1].type == ExprType::Boolean)
            Refuse(Said("是/否值的运算（Access 的真值是 -1）"));
        }
        return Expr(n.kids[0]) + " " + op + " " + Expr(n.kids[1]);
      }
      case NodeKind::Not: return "NOT " + Expr(n.kids[0]);
      case NodeKind::Between:
        return Expr(n.kids[0]) + (n.negated ? " NOT" : "") + " BETWEEN " + Expr(n.kids[1]) + " AND " + Expr(n.kids[2]);
      case NodeKind::Like:
        if (m_mode == PrintMode::Portable) Refuse(Said("LIKE（Access 的通配符和文本比较）"));
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
        Refuse(Said("与 %s 的比较", n.quantifier));
        return Expr(n.kids[0]) + " " + n.text + " " + n.quantifier + " (" + Query(*n.query) + ")";
      case NodeKind::Call: {
        if (m_mode == PrintMode::Portable) return PortableCallText(n);
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
        if (m_mode == PrintMode::Portable && !IsPlainNumber(n.text)) Refuse(Said("SQLite 没有的 Jet 语句结构"));
        return n.text;
    }
    return std::string();
  }

  std::string SourceText(const Source& s) {
    std::string out;
    switch (s.kind) {
      case Source::Kind::Table:
        // A join's tables read through subqueries SQLite materializes: the engine's
        // way to index a virtual table; a real table has its own indexes.
        if (s.materialized && m_mode == PrintMode::Engine) {
          out = "(SELECT * FROM " + QuotedSqlName(s.name) + " LIMIT -1)";
          if (s.alias.empty()) out += " AS " + QuotedSqlName(s.name);
        } else {
          out = QuotedSqlName(s.name);
        }
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
      out += (k ? ", " : "") + Expr(keys[k].expr) +
             (m_mode == PrintMode::Portable && keys[k].expr.type == ExprType::Text && keys[k].expr.kind == NodeKind::Column
                  ? " COLLATE NOCASE" : "") +
             (keys[k].desc ? " DESC" : "");
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

  // A call in portable SQL: through its row's portable form, which must fit the
  // arguments' types.
  std::string PortableCallText(const Node& n) {
    // Jet's order of text through its sort keys: SQLite's NOCASE, the same for
    // ASCII text (the README says so of views).
    if (n.text == kSortKeyFunction && n.kids.size() == 1) return Expr(n.kids[0]) + " COLLATE NOCASE";
    const vba::FunctionInfo* row = vba::FindSqlFunction(n.text);
    if (!row || !row->portable) {
      Refuse(WithoutPortableForm(row, n));
      return n.text + "()";
    }
    const std::string misfit = PortableMisfit(*row, n);
    if (!misfit.empty()) Refuse(misfit);
    std::vector<std::string> args;
    for (const Node& k : n.kids) args.push_back(Expr(k));
    std::string out = PortableCall(row->portable, args, n.distinct);
    if (out.empty()) Refuse(Said("函数 %s 的这个参数个数", row->name));
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
