#include "platform/jet/sql/Lowering.h"

#include <set>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/Printer.h"
#include "platform/jet/sql/ScalarSubqueries.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/sql/TypedText.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

namespace {

using T = ExprType;

Node Call(const std::string& fn, std::vector<Node> args, T type) {
  Node n(NodeKind::Call, fn);
  n.kids = std::move(args);
  n.type = type;
  return n;
}
Node Paren(Node inner) {
  Node n(NodeKind::Paren);
  n.type = inner.type;
  n.kids.push_back(std::move(inner));
  return n;
}
Node Raw(const std::string& text, T type = T::Unknown) {
  Node n(NodeKind::Raw, text);
  n.type = type;
  return n;
}

// A value that is one token in the statement: a stored Yes/No or True is -1
// already.
bool IsAtom(const Node& n) {
  switch (n.kind) {
    case NodeKind::Column: case NodeKind::String: case NodeKind::Number: case NodeKind::Date:
    case NodeKind::Null: case NodeKind::Truth: case NodeKind::Raw:
      return true;
    default:
      return false;
  }
}

// Jet's True is -1, SQLite's comparisons give 1: a Yes/No the grammar made
// (a comparison, Not, And...) becomes -1 or 0 where it is used as a value.
Node JetTruth(Node n) {
  Node test(NodeKind::Binary, "<>");
  test.kids.push_back(Paren(std::move(n)));
  test.kids.push_back(Raw("0"));
  Node minus(NodeKind::Unary, "-");
  minus.kids.push_back(Paren(std::move(test)));
  minus.type = T::Boolean;
  return minus;
}
// An operand of arithmetic or of a comparison: a parenthesized Yes/No as its value.
Node AsValue(Node n) {
  if (n.type == T::Boolean && n.kind == NodeKind::Paren) return JetTruth(std::move(n.kids[0]));
  return n;
}
// An argument of a call or an operand of VBA's operators.
Node ArgumentValue(Node n) { return n.type == T::Boolean && !IsAtom(n) ? JetTruth(std::move(n)) : n; }

bool IsMoney(T t) { return t == T::Currency || t == T::Decimal; }

// The function that gives a value of type `t` its text form in a statement.
const char* TextFunction(T t) {
  return t == T::Date ? kDateTextFunction : t == T::Single ? kSingleTextFunction : kExactText;
}
bool HasTextForm(T t) { return t == T::Date || t == T::Single || IsMoney(t); }

// Exact money (Money.h): every value Jet types Currency or Decimal is an exact
// BLOB in the statement, and meets other values only through these.
//
// A value that meets an exact one (compared with it, mixed into it): exact too.
// SQLite orders every BLOB after every number, so 18 and an exact 18 are equal
// only once both are BLOBs.
Node Exactly(Node n) {
  if (IsMoney(n.type) || n.type == T::Null) return n;
  return Call(kExact, {std::move(n)}, T::Decimal);
}
// A value made one of `money` type: a Currency rounded to its four places, as
// OLE converts an operand of Currency arithmetic or a branch of a Currency IIf.
Node AsMoney(Node n, T money) {
  if (n.type == money || n.type == T::Null) return n;
  const bool whole = n.type == T::Byte || n.type == T::Integer || n.type == T::Long || n.type == T::Boolean;
  if (money == T::Currency && !whole) return Call(kExactCurrency, {std::move(n)}, T::Currency);
  return Exactly(std::move(n));
}
// An exact value where a Double is wanted (Currency * Double is a Double, a
// function's number argument): the nearest REAL.
Node Real(Node n) { return IsMoney(n.type) ? Call(kExactReal, {std::move(n)}, T::Double) : n; }
// A value turned to `type`, the type Jet gives the expression it stands for
// (an IIf branch, a field of a union): exact when that type is money, else no
// exact value.
Node Converted(Node n, T type) { return IsMoney(type) ? AsMoney(std::move(n), type) : Real(std::move(n)); }
// The exact result of a computation of Jet's type `money`: a Currency's
// rounded to four places, with Jet's overflow beyond Currency's range.
Node MoneyResult(Node n, T money) {
  n.type = money;
  return money == T::Currency ? Call(kExactCurrency, {std::move(n)}, T::Currency) : n;
}

// Whether argument `arg` of `count` is one of the function's String parameters,
// where VBA turns a date into its text form (Left(OrderDate, 4) is "1994").
bool TextParameter(const std::string& name, size_t arg, size_t count) {
  const vba::FunctionInfo* row = vba::FindFunction(name);
  return row && row->TextParameter(arg, count);
}

// VBA's VarType code of a value of type `t`; 0 where the type is not known.
int VarTypeCode(T t) {
  switch (t) {
    case T::Integer: return 2;
    case T::Long: return 3;
    case T::Single: return 4;
    case T::Double: return 5;
    case T::Currency: return 6;
    case T::Date: return 7;
    case T::Text: return 8;
    case T::Boolean: return 11;
    case T::Decimal: return 14;
    case T::Byte: return 17;
    case T::Binary: return 8209;  // an array of bytes
    default: return 0;
  }
}

bool Mismatched(T left, T right) {
  auto numeric = [](T t) { return IsNumber(t) || t == T::Date; };
  return (left == T::Text && numeric(right)) || (numeric(left) && right == T::Text);
}

bool IsComparisonOp(const std::string& s) {
  return s == "=" || s == "<>" || s == "!=" || s == "<" || s == ">" || s == "<=" || s == ">=";
}

// a + b, a - b and a * b of Jet's type Currency or Decimal: exact, a Currency's
// operands and result rounded to its four places.
Node ExactArithmetic(const std::string& op, Node left, Node right, T money) {
  const char* fn = op == "+" ? kExactAdd : op == "-" ? kExactSubtract : kExactMultiply;
  return MoneyResult(Call(fn, {AsMoney(std::move(left), money), AsMoney(std::move(right), money)}, money), money);
}

// Whether argument `k` of a function Jet types by its arguments (IIf, Nz,
// Choose, Switch...) is one whose value the function may return.
bool ReturnedArgument(const std::string& name, size_t k) {
  const vba::ReturnType* rt = vba::FindReturnType(name);
  if (!rt || rt->type != vba::ValueType::Argument) return false;
  const size_t first = static_cast<size_t>(rt->firstArg);
  if (k < first) return false;
  return rt->argStep > 0 ? (k - first) % static_cast<size_t>(rt->argStep) == 0 : k == first;
}

const char kQuantifiedColumn[] = "__jet_quantified";

class Lowerer {
 public:
  explicit Lowerer(const Resolution& r) : m_r(r) {}

  Node Expr(const Node& n) {
    switch (n.kind) {
      case NodeKind::Unary: {
        Node out(NodeKind::Unary, n.text);
        out.type = n.type;
        out.kids.push_back(AsValue(Expr(n.kids[0])));
        if (n.text == "-" && IsMoney(n.type)) return Call(kExactNegate, {std::move(out.kids[0])}, n.type);
        return out;
      }
      case NodeKind::Binary: return Binary(n);
      case NodeKind::Like: {
        Node out = Shallow(n);
        // A date, a Currency or a Decimal is matched as its text.
        if (HasTextForm(n.kids[0].type) && n.kids[0].type != T::Single)
          out.kids[0] = Call(TextFunction(n.kids[0].type), {std::move(out.kids[0])}, T::Text);
        return out;
      }
      case NodeKind::Between: case NodeKind::In: {
        Node out = Shallow(n);
        if (out.query) MatchSubqueryColumn(out.kids[0], *out.query);
        else ExactTogether(out.kids);
        return out;
      }
      case NodeKind::Quantified: return Quantified(n);
      case NodeKind::Subquery: {
        const bool fresh = !m_done.count(n.query.get());
        Node out = Shallow(n);
        if (fresh) GuardScalarSubquery(out.query.get());
        return out;
      }
      case NodeKind::Call: return CallNode(n);
      default:
        return Shallow(n);
    }
  }

  void Query(sql::Query& q, bool outermost, StatementShape* shape) {
    // A query copied with the expression it is part of (an alias read as its
    // field) is the same query, lowered once.
    if (!m_done.insert(&q).second) return;
    const bool compound = q.members.size() > 1;
    for (size_t k = 0; k < q.members.size(); ++k) Select(q.members[k], outermost && k == 0, compound, shape);
    for (OrderKey& key : q.orderBy) key.expr = Expr(key.expr);
    if (!compound) return;
    ExactFields(q);
    // One select of a UNION: its TOP is its own, but SQLite takes no LIMIT inside
    // a compound, so the select is read as a subquery.
    for (sql::Select& s : q.members) {
      if (!s.limit) continue;
      auto member = std::make_shared<sql::Query>();
      member->members.push_back(std::move(s));
      s = sql::Select();
      s.items.push_back(SelectItem{Node(NodeKind::Star), "", 0});
      Source d;
      d.kind = Source::Kind::Derived;
      d.query = member;
      s.from.push_back(std::move(d));
    }
  }

 private:
  // The node with its kids and query lowered.
  Node Shallow(const Node& n) {
    Node out = n;
    for (Node& k : out.kids) k = Expr(k);
    if (n.query) Query(*out.query, false, nullptr);
    return out;
  }

  Node Binary(const Node& n) {
    const std::string& op = n.text;
    if (op == "&") {
      // a & b & c -> vba_cat(a, b, c): & binds looser than + - * / and treats NULL
      // as empty text, neither of which SQLite's || does.
      std::vector<const Node*> operands;
      Flatten(n, &operands);
      std::vector<Node> args;
      std::vector<T> types;
      for (const Node* o : operands) args.push_back(Expr(*o)), types.push_back(o->type);
      return Call(VbaFunctionSqlName("cat"), Arguments("cat", std::move(args), types), n.type);
    }
    Node left = Expr(n.kids[0]), right = Expr(n.kids[1]);
    const T lt = n.kids[0].type, rt = n.kids[1].type;
    if (op == "and" || op == "or") return Two(n, std::move(left), std::move(right));
    if (IsComparisonOp(op)) {
      left = AsValue(std::move(left)), right = AsValue(std::move(right));
      if (Mismatched(lt, rt)) {
        // A function's or an operator's result is a Variant, which VBA compares
        // with a text by reading the text as a number, or as a date beside a date
        // (Year(OrderDate) = '1995'); SQLite would find them never equal.
        const bool leftText = lt == T::Text;
        const std::string fn = VbaFunctionSqlName((leftText ? rt : lt) == T::Date ? "cdate" : "cdbl");
        Node& text = leftText ? left : right;
        text = Call(fn, {std::move(text)}, T::Unknown);
      }
      if (IsMoney(lt) || IsMoney(rt)) left = Exactly(std::move(left)), right = Exactly(std::move(right));
      return Two(n, std::move(left), std::move(right));
    }
    if (op == "xor" || op == "eqv" || op == "imp") {
      // SQLite has none of them: VBA's operator on Jet's -1 / 0 truths.
      return Paren(Call(VbaFunctionSqlName(op), {ArgumentValue(std::move(left)), ArgumentValue(std::move(right))}, n.type));
    }
    if (op == "-" || op == "*") {
      left = AsValue(std::move(left)), right = AsValue(std::move(right));
      if (IsMoney(n.type)) return ExactArithmetic(op, std::move(left), std::move(right), n.type);
      return Two(n, Real(std::move(left)), Real(std::move(right)));
    }
    // + joins two texts too ("a" + "b" is "ab"), / divides as Doubles with an error
    // for a zero divisor, \ Mod ^ are VBA's.
    const std::string name = op == "+" ? "add" : op == "/" ? "div" : op == "\\" ? "idiv" : op == "mod" ? "mod" : "pow";
    std::vector<Node> args = Arguments(name, {std::move(left), std::move(right)}, {lt, rt});
    if (op == "+" && IsMoney(n.type)) return ExactArithmetic(op, std::move(args[0]), std::move(args[1]), n.type);
    for (Node& a : args) a = Real(std::move(a));
    return Call(VbaFunctionSqlName(name), std::move(args), n.type);
  }
  // The operands of a BETWEEN or an IN list, exact together when one is.
  // The fields of a union where some selects give money and others not: each
  // turned to the first select's type, which the result's column has, so that
  // SQLite compares (UNION's duplicates, ORDER BY) like with like.
  static void ExactFields(sql::Query& q) {
    for (size_t c = 0;; ++c) {
      bool money = false, differ = false;
      for (const sql::Select& s : q.members) {
        if (c >= s.items.size() || s.items[c].expr.kind == NodeKind::Star) return;
        money = money || IsMoney(s.items[c].expr.type);
        differ = differ || s.items[c].expr.type != q.members[0].items[c].expr.type;
      }
      if (!money || !differ) continue;
      const T type = q.members[0].items[c].expr.type;
      for (sql::Select& s : q.members) s.items[c].expr = Converted(std::move(s.items[c].expr), type);
    }
  }
  static void ExactTogether(std::vector<Node>& operands) {
    bool money = false;
    for (const Node& o : operands) money = money || IsMoney(o.type);
    if (money)
      for (Node& o : operands) o = Exactly(std::move(o));
  }
  // x IN (SELECT y ...), x op ALL (SELECT y ...): x and y exact together when
  // one is.
  static void MatchSubqueryColumn(Node& value, sql::Query& q) {
    bool money = IsMoney(value.type);
    for (const sql::Select& s : q.members)
      money = money || (!s.items.empty() && IsMoney(s.items[0].expr.type));
    if (!money) return;
    value = Exactly(std::move(value));
    for (sql::Select& s : q.members)
      if (!s.items.empty() && s.items[0].expr.kind != NodeKind::Star) s.items[0].expr = Exactly(std::move(s.items[0].expr));
  }
  static void Flatten(const Node& n, std::vector<const Node*>* out) {
    if (n.kind == NodeKind::Binary && n.text == "&") {
      Flatten(n.kids[0], out);
      out->push_back(&n.kids[1]);
      return;
    }
    out->push_back(&n);
  }
  static Node Two(const Node& n, Node left, Node right) {
    Node out(NodeKind::Binary, n.text);
    out.type = n.type;
    out.kids.push_back(std::move(left));
    out.kids.push_back(std::move(right));
    return out;
  }

  // The arguments of a call as Jet passes them: a Yes/No the grammar made as -1
  // or 0 (a condition of IIf or Switch needs only its truth), and for & and the
  // text functions a date, a Single or a Currency by its text form.
  static std::vector<Node> Arguments(const std::string& name, std::vector<Node> args, const std::vector<T>& types) {
    for (size_t k = 0; k < args.size(); ++k) {
      const T t = k < types.size() ? types[k] : T::Unknown;
      const bool condition = (name == "iif" && k == 0) || (name == "switch" && k % 2 == 0);
      if (t == T::Boolean && !condition) {
        args[k] = ArgumentValue(std::move(args[k]));
      } else if (HasTextForm(t) && TextParameter(name, k, args.size())) {
        args[k] = Call(TextFunction(t), {std::move(args[k])}, T::Text);
      }
    }
    return args;
  }

  Node CallNode(const Node& n) {
    const std::string name = CallName(n);
    const std::string vba = VbaCallSqlName(n.text);
    std::vector<Node> args;
    std::vector<T> types;
    for (const Node& k : n.kids) args.push_back(Expr(k)), types.push_back(k.type);
    args = Arguments(name, std::move(args), types);
    std::string fn = vba.empty() ? n.text : vba;
    const bool money = !types.empty() && IsMoney(types[0]);
    if (name == "cstr" && !types.empty() && HasTextForm(types[0]))
      fn = TextFunction(types[0]);  // CStr of a date is its text, of a Single its 7 digits
    if (args.size() == 1 && money) {
      // Exact money's own conversions and aggregates.
      // Always a call, which keeps the field an expression (Expr1000), not the column.
      if (name == "ccur") return Call(kExactCurrency, {std::move(args[0])}, T::Currency);
      if (name == "cdec") return Call(kExact, {std::move(args[0])}, T::Decimal);
      if (name == "cdbl") return Real(std::move(args[0]));
      if (name == "cstr") return Call(kExactText, {std::move(args[0])}, T::Text);
      if (name == "sum" || name == "avg") {
        Node total = Call(name == "sum" ? kExactSum : kExactAverage, std::move(args), n.type);
        total.distinct = n.distinct;
        return MoneyResult(std::move(total), n.type);
      }
    }
    const bool passes = IsAggregateName(name) || name == "cvar";  // Min, Max, First, Last, Count: values as they are
    for (size_t k = 0; k < args.size() && !passes; ++k)
      args[k] = ReturnedArgument(name, k) ? Converted(std::move(args[k]), n.type) : Real(std::move(args[k]));
    if ((name == "iif" && args.size() == 3) || (name == "switch" && args.size() % 2 == 0 && !args.empty()))
      return Branches(name, fn, std::move(args), n.type);
    // VarType, TypeName, IsNumeric and IsDate answer by the type Jet knows, not by
    // how SQLite holds the value (a date as a day number, a Yes/No as an integer).
    const int code = types.size() == 1 ? VarTypeCode(types[0]) : 0;
    if (code && (name == "vartype" || name == "typename" || name == "isnumeric" || name == "isdate")) {
      fn = kTypedPrefix + name;
      args.push_back(Raw(std::to_string(code)));
    }
    Node out = Call(fn, std::move(args), n.type);
    out.distinct = n.distinct;
    // A VBA function's Currency or Decimal result (CCur, Abs of a Currency) is a
    // number: made exact, unless it is one of the exact arguments handed back.
    bool handsBack = passes;
    for (size_t k = 0; k < out.kids.size(); ++k) handsBack = handsBack || ReturnedArgument(name, k);
    if (IsMoney(n.type) && !handsBack)
      return Call(n.type == T::Currency ? kExactCurrency : kExact, {std::move(out)}, n.type);
    return out;
  }

  // IIf(c, a, b) and Switch(c1, v1, ...) as a CASE, which evaluates only the
  // value it returns, as Jet does: IIf(n = 0, 0, x / n) must not divide by zero.
  // Each condition is still judged by the function's own rule for its truth.
  static Node Branches(const std::string& name, const std::string& fn, std::vector<Node> args, T type) {
    Node c(NodeKind::Case);
    c.type = type;
    for (size_t k = 0; k + 1 < args.size(); k += 2) {
      std::vector<Node> test{std::move(args[k]), Raw("1")};
      if (name == "iif") test.push_back(Raw("0"));
      c.kids.push_back(Call(fn, std::move(test), T::Unknown));
      c.kids.push_back(std::move(args[k + 1]));
      if (name == "iif") {
        c.kids.push_back(std::move(args[2]));
        c.hasElse = true;
        break;
      }
    }
    return c;
  }

  // x op ALL (select ...), x op ANY / SOME (select ...): SQLite has no quantified
  // comparisons, so each becomes a subquery that compares x with every row and
  // folds the answers with SQL's three values: ANY is true when one comparison is,
  // false when all are false (or there are no rows), NULL otherwise; ALL is false
  // when one is false, true when all are true (or there are no rows), NULL
  // otherwise. The subquery's one column is named so the comparison can reach it.
  Node Quantified(const Node& n) {
    Node sub = Shallow(n);
    MatchSubqueryColumn(sub.kids[0], *sub.query);
    sql::Select& first = sub.query->members.front();
    if (first.items.size() != 1) throw _com_error(JET_E_SYNTAX);  // the subquery must give one field
    first.items[0].alias = kQuantifiedColumn;
    const bool all = n.quantifier == "all";
    // True is Jet's -1; a comparison counts as true when it is not 0.
    std::string fold = std::string("(SELECT CASE WHEN sum(__jet_c ") +
                       (all ? "= 0) > 0 THEN 0 WHEN count(*) = count(__jet_c) THEN -1 END FROM"
                            : "<> 0) > 0 THEN -1 WHEN count(*) = count(__jet_c) THEN 0 END FROM");
    fold += " (SELECT " + Print(sub.kids[0]) + " " + n.text + " " + kQuantifiedColumn + " AS __jet_c FROM (" +
            Print(*sub.query) + ")))";
    return Raw(fold, T::Boolean);
  }

  void SourceNode(Source& s, bool joined) {
    switch (s.kind) {
      case Source::Kind::Table:
        // The tables of a join are read through subqueries SQLite cannot flatten
        // (a LIMIT does that): it then materializes the inner ones once and
        // indexes them on the join's keys, where it would otherwise rescan the
        // file for every outer row (virtual tables get no automatic index).
        s.materialized = joined;
        break;
      case Source::Kind::Derived:
        Query(*s.query, false, nullptr);
        break;
      case Source::Kind::Join:
        for (Source& side : s.sides) SourceNode(side, true);
        if (s.on) s.on = Expr(*s.on);
        break;
    }
  }

  // DISTINCTROW drops rows whose records of the selected tables repeat, which
  // matters only when the fields come from some of the joined tables and not all;
  // then it is read as DISTINCT over the fields (the same rows when, as usual, a
  // key is among them). A field's table is its qualifier, or else the one source
  // that has a column of its name.
  bool SelectsSomeTablesOnly(const sql::Select& s) const {
    const Scope& scope = *m_r.scopes.at(&s);
    std::set<std::string> used;
    for (const SelectItem& item : s.items) {
      const Node& e = item.expr;
      if ((e.kind == NodeKind::Column || e.kind == NodeKind::Star) && !e.qualifier.empty()) {
        used.insert(LowerAscii(e.qualifier));
        continue;
      }
      if (e.kind != NodeKind::Column || !m_r.lookup || !*m_r.lookup) return false;
      std::string owner;
      for (const ScopeSource& src : scope.sources) {
        std::vector<TypedColumn> columns;
        if (!m_r.Lookup(src.table, &columns)) return false;
        for (const TypedColumn& c : columns)
          if (LowerAscii(c.name) == LowerAscii(e.text)) {
            if (!owner.empty() && owner != src.alias) return false;  // ambiguous: SQLite will say so
            owner = src.alias;
          }
      }
      if (owner.empty()) return false;
      used.insert(owner);
    }
    return !used.empty() && used.size() < scope.sources.size();
  }

  // The ORDER BY keys of a select, a position (ORDER BY 2) or an alias read as
  // the field it stands for; false when a key is a position out of range or a *.
  // What an ORDER BY key orders by: the field a position (ORDER BY 2) or an
  // alias names, else the key itself; null for a position out of range.
  static const Node* OrderField(const sql::Select& s, const Node& key) {
    if (key.kind == NodeKind::Number) {
      const std::string& t = key.text;
      const size_t n = t.find_first_not_of("0123456789") == std::string::npos && t.size() < 9 ? std::stoul(t) : 0;
      return n < 1 || n > s.items.size() ? nullptr : &s.items[n - 1].expr;
    }
    const Node* field = &key;
    if (key.kind == NodeKind::Column && key.qualifier.empty())
      for (const SelectItem& item : s.items)
        if (!item.alias.empty() && LowerAscii(item.alias) == LowerAscii(key.text)) field = &item.expr;
    return field;
  }

  // The ORDER BY keys of a select, a position or an alias read as the field it
  // stands for; false when a key is a position out of range or a *.
  static bool OrderKeys(const sql::Select& s, std::vector<Node>* keys) {
    for (const OrderKey& key : s.orderBy) {
      const Node* field = OrderField(s, key.expr);
      if (!field || field->kind == NodeKind::Star) return false;
      keys->push_back(*field);
    }
    return !keys->empty();
  }

  void Select(sql::Select& s, bool outer, bool compound, StatementShape* shape) {
    // DISTINCTROW keeps its rows in the order of their records.
    const bool distinct = s.quantity == sql::Select::Quantity::Distinct;
    Clauses(s, outer, compound, shape);
    // A member of a compound has an order of its own only with its TOP, which
    // makes it a subquery (Query above).
    SortKeys(s, distinct, !compound || s.limit.has_value());
  }

  // The key a text sorts and groups by: its sort key, one per value (SortKey.h),
  // where the collation would call the collator on each comparison a sort makes.
  static Node Keyed(Node n) { return n.type == T::Text ? Call(kSortKeyFunction, {std::move(n)}, T::Binary) : n; }

  // ORDER BY, GROUP BY and DISTINCT over texts by their sort keys; the fields
  // still give the values themselves. A DISTINCT becomes a GROUP BY over its
  // fields, and so gives its rows in their order, as Jet's does. Keys that name a
  // field by its alias or position name its expression.
  static void SortKeys(sql::Select& s, bool distinct, bool ordered) {
    for (Node& g : s.groupBy) g = Keyed(std::move(g));
    bool star = false, aggregate = false, text = false;
    for (const SelectItem& item : s.items) {
      star = star || item.expr.kind == NodeKind::Star;
      aggregate = aggregate || HasAggregate(item.expr);
      text = text || item.expr.type == T::Text;
    }
    if (distinct && s.quantity == sql::Select::Quantity::Distinct && s.groupBy.empty() && !s.having && !star &&
        !aggregate && text) {
      s.quantity = sql::Select::Quantity::All;
      for (const SelectItem& item : s.items) s.groupBy.push_back(Keyed(item.expr));
    }
    if (!ordered) return;
    for (OrderKey& key : s.orderBy) {
      // After a *, positions count the columns it stands for.
      if (star && key.expr.kind == NodeKind::Number) continue;
      const Node* field = OrderField(s, key.expr);
      if (field && field->type == T::Text) key.expr = Keyed(*field);
    }
  }

  void Clauses(sql::Select& s, bool outer, bool compound, StatementShape* shape) {
    const bool distinctRow = s.quantity == sql::Select::Quantity::DistinctRow;
    if (distinctRow) s.quantity = SelectsSomeTablesOnly(s) ? sql::Select::Quantity::Distinct : sql::Select::Quantity::All;
    bool joined = s.from.size() > 1;
    for (const Source& src : s.from) joined = joined || src.kind == Source::Kind::Join;
    for (Source& src : s.from) SourceNode(src, joined);
    for (SelectItem& item : s.items) {
      if (item.expr.kind != NodeKind::Star) item.expr = Expr(item.expr);
      // The names of the outer select's unnamed expressions: Expr1000, Expr1001...
      if (outer && item.alias.empty() && item.expr.kind != NodeKind::Column && item.expr.kind != NodeKind::Star)
        item.alias = kExprAlias;
    }
    if (s.where) s.where = Expr(*s.where);
    for (Node& g : s.groupBy) g = Expr(g);
    if (s.having) s.having = Expr(*s.having);
    for (OrderKey& key : s.orderBy) key.expr = Expr(key.expr);
    if (s.top.empty()) return;
    if (outer && !s.percent && !compound) shape->limit = std::stoll(s.top.size() < 18 ? s.top : "999999999999999999");
    std::vector<Node> keys;
    if (outer && !s.percent && s.quantity != sql::Select::Quantity::Distinct && !compound && OrderKeys(s, &keys)) {
      // Jet's ties: the keys become hidden columns; the LIMIT form is kept aside.
      sql::Select limited = s;
      limited.limit = Raw(s.top);
      sql::Query alone;
      alone.members.push_back(std::move(limited));
      shape->limitSql = Print(alone);
      for (Node& key : keys) s.items.push_back(SelectItem{std::move(key), kExprAlias, 0});
      shape->tieKeys = static_cast<int>(keys.size());
      return;
    }
    if (!s.percent) {
      s.limit = Raw(s.top);
      return;
    }
    // The row count of the same select without its order, times the percentage,
    // rounded up as Jet does.
    sql::Select counted = s;
    counted.orderBy.clear();
    sql::Query alone;
    alone.members.push_back(std::move(counted));
    s.limit = Raw("(SELECT (count(*) * " + s.top + " + 99) / 100 FROM (" + Print(alone) + "))");
  }

  const Resolution& m_r;
  std::set<const sql::Query*> m_done;
};

}  // namespace

void LowerQuery(Query& q, bool outermost, StatementShape* shape, const Resolution& r) {
  Lowerer(r).Query(q, outermost, shape);
}

Node LowerExpression(const Node& n, const Resolution& r) { return Lowerer(r).Expr(n); }

void MatchPlain(const Query& q, StatementShape* shape) {
  shape->plain = false;
  if (q.members.size() != 1 || !q.orderBy.empty()) return;
  const Select& s = q.members[0];
  if (s.quantity != Select::Quantity::All || s.allWritten || s.from.size() != 1 || s.where || !s.groupBy.empty() ||
      s.having || !s.orderBy.empty() || shape->tieKeys)
    return;
  const Source& src = s.from[0];
  if (src.kind != Source::Kind::Table || !src.alias.empty() || src.materialized) return;
  for (const SelectItem& item : s.items) {
    const Node& e = item.expr;
    if (!item.alias.empty() || !((e.kind == NodeKind::Column) || (e.kind == NodeKind::Star && e.qualifier.empty())))
      return;
  }
  long long limit = -1;
  if (s.limit) {
    const std::string& t = s.limit->text;
    if (s.limit->kind != NodeKind::Raw || t.empty() || t.size() >= 18 || t.find_first_not_of("0123456789") != std::string::npos)
      return;
    limit = std::stoll(t);
  }
  shape->table = src.name;
  shape->plain = true;
  shape->limit = limit;
}

}  // namespace jet::sql
