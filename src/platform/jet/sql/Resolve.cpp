#include "platform/jet/sql/Resolve.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

using T = ExprType;

std::string CallName(const Node& call) {
  std::string mapped = VbaCallSqlName(call.text);
  std::string name = LowerAscii(mapped.empty() ? call.text : mapped);
  if (name.rfind("vba_", 0) == 0) name.erase(0, 4);
  return name;
}

bool IsAggregateName(const std::string& n) {
  const vba::FunctionInfo* row = vba::FindExactFunction(n);
  return row && (row->kind == vba::FunctionKind::Aggregate || row->kind == vba::FunctionKind::SqliteAggregate);
}

bool HasAggregate(const Node& n) {
  if (n.kind == NodeKind::Subquery || n.kind == NodeKind::Exists) return false;
  if (n.kind == NodeKind::Call && IsAggregateName(CallName(n))) return true;
  for (const Node& k : n.kids)
    if (HasAggregate(k)) return true;
  return false;
}

ExprType ColumnType(const Scope& scope, const std::string& qualifier, const std::string& name) {
  const std::string q = LowerAscii(qualifier), n = LowerAscii(name);
  for (const Scope* s = &scope; s; s = s->parent) {
    for (const ScopeSource& src : s->sources) {
      if (!q.empty() && src.alias != q) continue;
      for (const TypedColumn& c : src.columns)
        if (LowerAscii(c.name) == n) return FromAccess(c.type);
      if (!q.empty()) return T::Unknown;
    }
  }
  return T::Unknown;
}

bool IsScopeColumn(const Scope& scope, const std::string& name, bool* known) {
  const std::string n = LowerAscii(name);
  *known = true;
  for (const Scope* s = &scope; s; s = s->parent) {
    for (const ScopeSource& src : s->sources) {
      *known = *known && src.known;
      for (const TypedColumn& c : src.columns)
        if (LowerAscii(c.name) == n) return true;
    }
  }
  return false;
}

namespace {

// The alias, as written, of the source a column reference reads.
std::string Label(const Scope& scope, const std::string& qualifier, const std::string& name) {
  const std::string q = LowerAscii(qualifier), n = LowerAscii(name);
  for (const ScopeSource& src : scope.sources) {
    if (!q.empty()) {
      if (src.alias == q) return src.label;
      continue;
    }
    for (const TypedColumn& c : src.columns)
      if (LowerAscii(c.name) == n) return src.label;
  }
  return std::string();
}

ExprType NumberType(const std::string& text) {
  if (text.find_first_of(".eE") != std::string::npos) return T::Double;
  return text.size() <= 9 || std::strtod(text.c_str(), nullptr) <= 2147483647.0 ? T::Long : T::Double;
}

class Resolver {
 public:
  explicit Resolver(Resolution* r) : m_r(r) {}

  std::vector<TypedColumn> Query(sql::Query& q, const Scope* parent) {
    std::vector<TypedColumn> first;
    for (size_t k = 0; k < q.members.size(); ++k) {
      std::vector<TypedColumn> cols = Select(q.members[k], parent);
      if (k == 0) first = std::move(cols);
    }
    // A compound's ORDER BY, typed as the last select's own.
    if (!q.members.empty()) {
      const Scope& scope = *m_r->scopes[&q.members.back()];
      for (OrderKey& key : q.orderBy) Expr(key.expr, scope);
    }
    return first;
  }

  void Expr(Node& n, const Scope& scope) { n.type = TypeOf(n, scope); }

 private:
  ExprType TypeOf(Node& n, const Scope& scope) {
    for (Node& k : n.kids) Expr(k, scope);
    auto kid = [&](size_t k) { return k < n.kids.size() ? n.kids[k].type : T::Unknown; };
    switch (n.kind) {
      case NodeKind::Column:
        NoteAmbiguous(n, scope);
        return ColumnType(scope, n.qualifier, n.text);
      case NodeKind::Star: return T::Unknown;
      case NodeKind::String: return T::Text;
      case NodeKind::Number: return NumberType(n.text);
      case NodeKind::Date: return T::Date;
      case NodeKind::Null: return T::Null;
      case NodeKind::Truth: return T::Boolean;
      case NodeKind::Raw: return T::Unknown;
      case NodeKind::Unary: {
        const T t = kid(0);
        return t == T::Boolean ? T::Integer : t == T::Text ? T::Double : t;
      }
      case NodeKind::Binary: return BinaryType(n.text, kid(0), kid(1));
      case NodeKind::Not: case NodeKind::Between: case NodeKind::Like: case NodeKind::IsNull:
        return T::Boolean;
      case NodeKind::In: case NodeKind::Exists: case NodeKind::Quantified:
        if (n.query) Query(*n.query, &scope);
        return T::Boolean;
      case NodeKind::Paren: return kid(0);
      case NodeKind::Subquery: {
        std::vector<TypedColumn> cols = Query(*n.query, &scope);
        return cols.size() == 1 && cols[0].name != "*" ? FromAccess(cols[0].type) : T::Unknown;
      }
      case NodeKind::Call: {
        std::vector<T> args;
        for (const Node& k : n.kids) args.push_back(k.type);
        return FunctionResult(CallName(n), args);
      }
      case NodeKind::Case: return T::Unknown;
    }
    return T::Unknown;
  }

  static ExprType BinaryType(const std::string& op, T a, T b) {
    if (op == "and" || op == "or") return T::Boolean;
    if (op == "xor" || op == "eqv" || op == "imp")
      return (a == T::Boolean || a == T::Null) && (b == T::Boolean || b == T::Null) ? T::Boolean : T::Long;
    if (op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=") return T::Boolean;
    if (op == "&") return FunctionResult("cat", {a, b});
    if (op == "+") return FunctionResult("add", {a, b});
    if (op == "-") return Additive(a, b, true);
    if (op == "*") return Arithmetic(a, b);
    if (op == "/") return FunctionResult("div", {a, b});
    if (op == "\\") return FunctionResult("idiv", {a, b});
    if (op == "mod") return FunctionResult("mod", {a, b});
    if (op == "^") return FunctionResult("pow", {a, b});
    return T::Unknown;
  }

  void Sources(std::vector<Source>& from, Scope* scope) {
    for (Source& s : from) AddSource(s, scope);
  }
  void AddSource(Source& s, Scope* scope) {
    ScopeSource src;
    switch (s.kind) {
      case Source::Kind::Join:
        AddSource(s.sides[0], scope);
        AddSource(s.sides[1], scope);
        return;
      case Source::Kind::Table:
        src.alias = LowerAscii(s.name);
        src.table = s.name;
        src.known = Table(s.name, &src.columns);
        break;
      case Source::Kind::Derived:
        src.columns = Query(*s.query, scope->parent);
        src.known = true;
        for (const TypedColumn& c : src.columns) src.known = src.known && c.name != "*";
        break;
    }
    if (!s.alias.empty()) {
      const std::string table = src.alias;
      src.alias = LowerAscii(s.alias);
      if (src.alias != table) src.label = s.alias;
    }
    scope->sources.push_back(std::move(src));
  }
  // An unqualified name that two sources of the nearest select having it both
  // have, where their columns are known.
  void NoteAmbiguous(const Node& n, const Scope& scope) {
    if (!n.qualifier.empty()) return;
    const std::string name = LowerAscii(n.text);
    for (const Scope* s = &scope; s; s = s->parent) {
      int having = 0;
      bool known = true;
      for (const ScopeSource& src : s->sources) {
        known = known && src.known;
        having += std::any_of(src.columns.begin(), src.columns.end(),
                              [&](const TypedColumn& c) { return LowerAscii(c.name) == name; });
      }
      auto& list = m_r->ambiguous;
      if (having > 1 && std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
      if (having > 0 || !known) return;
    }
  }
  // A table or saved query the statement reads: recorded among the sources, and
  // refused when it is neither (Jet's "cannot find the input table").
  bool Table(const std::string& name, std::vector<TypedColumn>* columns) {
    if (!m_r->lookup || !*m_r->lookup) return false;
    std::string similar;
    const SourceFound found = (*m_r->lookup)(name, columns, &similar);
    if (found == SourceFound::Missing) throw _com_error(JET_E_NOTABLE, NoSuchTableCause(name, similar));
    const std::string key = LowerAscii(name);
    bool seen = false;
    for (const std::string& s : m_r->sources) seen = seen || LowerAscii(s) == key;
    if (!seen) m_r->sources.push_back(name);
    return found == SourceFound::Columns;
  }
  void JoinConditions(std::vector<Source>& from, const Scope& scope) {
    for (Source& s : from) {
      if (s.kind != Source::Kind::Join) continue;
      std::vector<Source> sides = std::move(s.sides);
      JoinConditions(sides, scope);
      s.sides = std::move(sides);
      if (s.on) {
        Expr(*s.on, scope);
        NoteMissing(*s.on, scope);
      }
    }
  }
  // Subqueries are not entered: SQLite places their faults itself.
  void NoteMissing(const Node& n, const Scope& scope) {
    if (n.kind == NodeKind::Column && !MayHave(scope, n.qualifier, n.text))
      m_r->missingInJoins.push_back((n.qualifier.empty() ? "" : n.qualifier + ".") + n.text);
    for (const Node& k : n.kids) NoteMissing(k, scope);
  }
  // False only when every source that could give the column is known to lack it.
  static bool MayHave(const Scope& scope, const std::string& qualifier, const std::string& name) {
    const std::string q = LowerAscii(qualifier), n = LowerAscii(name);
    for (const Scope* s = &scope; s; s = s->parent) {
      for (const ScopeSource& src : s->sources) {
        if (!q.empty() && src.alias != q) continue;
        if (!src.known) return true;
        for (const TypedColumn& c : src.columns)
          if (LowerAscii(c.name) == n) return true;
      }
    }
    return false;
  }

  // Jet lets a field of the select list use the alias of a field before it
  // ("UnitPrice * 2 AS X, X + 1 AS Y"); SQLite does not, so the alias becomes its
  // expression. A name that is a column of the sources stays the column.
  void ExpandAliases(sql::Select& s, const Scope& scope) {
    std::vector<std::pair<std::string, const Node*>> aliases;
    for (SelectItem& item : s.items) {
      if (!aliases.empty()) Replace(item.expr, aliases, scope);
      if (!item.alias.empty()) aliases.push_back({LowerAscii(item.alias), &item.expr});
    }
  }
  void Replace(Node& n, const std::vector<std::pair<std::string, const Node*>>& aliases, const Scope& scope) {
    if (n.kind == NodeKind::Subquery || n.kind == NodeKind::Exists) return;
    if (n.kind == NodeKind::Column && n.qualifier.empty()) {
      const std::string name = LowerAscii(n.text);
      for (const auto& [alias, expr] : aliases) {
        if (alias != name || AmongSources(scope, name)) continue;
        Node paren(NodeKind::Paren);
        paren.at = n.at;
        paren.kids.push_back(*expr);
        n = std::move(paren);
        return;
      }
    }
    for (Node& k : n.kids) Replace(k, aliases, scope);
  }
  // Unknown sources count as having every column.
  bool AmongSources(const Scope& scope, const std::string& name) const {
    for (const ScopeSource& src : scope.sources) {
      if (!src.known) return true;
      for (const TypedColumn& c : src.columns)
        if (LowerAscii(c.name) == name) return true;
    }
    return false;
  }

  std::vector<TypedColumn> Select(sql::Select& s, const Scope* parent) {
    auto owned = std::make_unique<Scope>();
    Scope& scope = *owned;
    scope.parent = parent;
    m_r->scopes[&s] = std::move(owned);
    Sources(s.from, &scope);
    JoinConditions(s.from, scope);
    ExpandAliases(s, scope);
    std::vector<TypedColumn> out;
    for (SelectItem& item : s.items) {
      Node& e = item.expr;
      if (e.kind == NodeKind::Star) {
        const std::string q = LowerAscii(e.qualifier);
        for (const ScopeSource& src : scope.sources) {
          if (!q.empty() && src.alias != q) continue;
          if (!src.known) {
            out.push_back({"*", -1, ""});
            continue;
          }
          for (TypedColumn c : src.columns) {
            c.source = src.label;
            out.push_back(std::move(c));
          }
        }
        continue;
      }
      Expr(e, scope);
      TypedColumn c;
      c.type = ToAccess(e.type);
      c.name = !item.alias.empty() ? item.alias : e.kind == NodeKind::Column ? e.text : std::string();
      if (e.kind == NodeKind::Column) c.source = Label(scope, e.qualifier, e.text);
      out.push_back(std::move(c));
    }
    if (s.where) Expr(*s.where, scope);
    for (Node& g : s.groupBy) Expr(g, scope);
    if (s.having) Expr(*s.having, scope);
    for (OrderKey& key : s.orderBy) Expr(key.expr, scope);
    return out;
  }

  Resolution* m_r;
};

}  // namespace

std::vector<TypedColumn> ResolveQuery(Query& q, const Scope* parent, Resolution* r) {
  return Resolver(r).Query(q, parent);
}

void ResolveExpression(Node& n, const Scope& scope, Resolution* r) { Resolver(r).Expr(n, scope); }

}  // namespace jet::sql
