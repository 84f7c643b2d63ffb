#include "platform/jet/sql/Types.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/TypeRules.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

namespace {

using T = ExprType;

bool IsCompareWord(const Unit& u) {
  return IsWord(u, "like") || IsWord(u, "between") || IsWord(u, "in") || IsWord(u, "is");
}

struct Source {
  std::string alias;  // lower case
  std::string label;  // the alias as the statement writes it; empty when it gives none
  std::vector<TypedColumn> columns;
  bool known = false;
};

struct Scope {
  std::vector<Source> sources;
  const Scope* parent = nullptr;
};

class Typer {
 public:
  explicit Typer(const ColumnLookup* lookup) : m_lookup(lookup) {}

  // The columns of the select at `list[s]` (up to `end`), typed; a * of a source
  // of unknown columns gives one entry named "*".
  std::vector<TypedColumn> Select(List& list, size_t s, size_t end, const Scope* parent);

  // The statement's selects at one level (compound parts and all); the columns of
  // the first.
  std::vector<TypedColumn> Selects(List& list, const Scope* parent) {
    std::vector<TypedColumn> first;
    bool have = false;
    for (size_t s = 0; s < list.size(); ++s) {
      bool select = IsWord(list[s], "select");
      bool group = list[s].group && (s == 0 || IsCompoundWord(list[s - 1]) || IsWord(list[s - 1], "all"));
      if (!select && !group) continue;
      size_t end = s + 1;
      while (end < list.size() && !IsCompoundWord(list[end])) ++end;
      std::vector<TypedColumn> cols = select ? Select(list, s, end, parent) : Selects(list[s].kids, parent);
      if (!have) first = std::move(cols), have = true;
      s = end - 1;
    }
    return first;
  }

 private:
  // Expression parsing over the units [i, b) of one list, by Jet's precedence.
  struct Range {
    List& list;
    size_t i;
    size_t b;
    const Scope& scope;
    bool done() const { return i >= b; }
    Unit& at() { return list[i]; }
  };

  T Expression(List& list, size_t a, size_t b, const Scope& scope) {
    if (b >= a + 2 && IsWord(list[b - 2], "as")) b -= 2;
    if (b > a && (IsWord(list[b - 1], "asc") || IsWord(list[b - 1], "desc"))) --b;
    if (a >= b) return T::Unknown;
    Range r{list, a, b, scope};
    T t = Imp(r);
    // What the grammar did not take is SQLite's to judge; the expressions in it
    // are still typed for what they rewrite and refuse.
    while (r.i < b) {
      size_t before = r.i;
      Imp(r);
      if (r.i == before && list[r.i++].group) Group(list[before], scope);
      t = T::Unknown;
    }
    return t;
  }

  // Imp, Eqv and Xor bind looser than Or, in that order; SQLite has none of them,
  // so each becomes a call of VBA's operator on Jet's -1 / 0 truths.
  T Imp(Range& r) { return Logical(r, "imp", &Typer::Eqv); }
  T Eqv(Range& r) { return Logical(r, "eqv", &Typer::Xor); }
  T Xor(Range& r) { return Logical(r, "xor", &Typer::Or); }
  T Logical(Range& r, const char* op, T (Typer::*operand)(Range&)) {
    size_t start = r.i;
    T t = (this->*operand)(r);
    while (!r.done() && IsWord(r.at(), op)) {
      const size_t mid = r.i++;
      T right = (this->*operand)(r);
      List left(r.list.begin() + static_cast<long>(start), r.list.begin() + static_cast<long>(mid));
      List second(r.list.begin() + static_cast<long>(mid) + 1, r.list.begin() + static_cast<long>(r.i));
      // A stored Yes/No or True is -1 already; what the grammar made is SQLite's 1.
      if (t == T::Boolean && (left.size() > 1 || left[0].group)) AsJetTruth(left);
      if (right == T::Boolean && (second.size() > 1 || second[0].group)) AsJetTruth(second);
      Unit args{{TokKind::Open, "("}, std::move(left), true, false};
      args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
      args.kids.insert(args.kids.end(), second.begin(), second.end());
      for (size_t k = start; k < r.i; ++k) r.list[k] = Raw("");
      const std::string fn = VbaFunctionSqlName(op);
      r.list[start] = Unit{{TokKind::Open, "("}, {Unit{{TokKind::Word, fn}, {}, false, true}, std::move(args)}, true, false};
      t = (t == T::Boolean || t == T::Null) && (right == T::Boolean || right == T::Null) ? T::Boolean : T::Long;
    }
    return t;
  }
  T Or(Range& r) {
    T t = And(r);
    while (!r.done() && IsWord(r.at(), "or")) {
      ++r.i;
      And(r);
      t = T::Boolean;
    }
    return t;
  }
  T And(Range& r) {
    T t = Not(r);
    while (!r.done() && IsWord(r.at(), "and")) {
      ++r.i;
      Not(r);
      t = T::Boolean;
    }
    return t;
  }
  T Not(Range& r) {
    if (!r.done() && IsWord(r.at(), "not")) {
      ++r.i;
      Not(r);
      return T::Boolean;
    }
    return Comparison(r);
  }
  // A column or a literal: a value whose type Jet fixes before it runs.
  static bool Firm(const List& list, size_t a, size_t b) {
    if (b > a && (IsOp(list[a], "-") || IsOp(list[a], "+"))) ++a;
    if (b == a + 3) return IsName(list[a]) && IsOp(list[a + 1], ".") && IsName(list[a + 2]);
    if (b != a + 1 || list[a].group || list[a].call) return false;
    TokKind k = list[a].tok.kind;
    return k == TokKind::String || k == TokKind::Number || IsName(list[a]);
  }

  static bool Mismatched(T left, T right) {
    auto numeric = [](T t) { return IsNumber(t) || t == T::Date; };
    return (left == T::Text && numeric(right)) || (numeric(left) && right == T::Text);
  }
  // A subquery whose one column is a column or a literal: SELECT name AS ...
  static bool SingleColumn(const Unit& sub) {
    const List& k = sub.kids;
    for (size_t a = 1, b = 1; b < k.size(); ++b)
      if (IsWord(k[b], "as") || IsWord(k[b], "from")) return Firm(k, a, b);
    return false;
  }

  T Comparison(Range& r) {
    size_t leftStart = r.i;
    T left = Additive(r);
    if (r.done()) return left;
    if (IsComparison(r.at())) {
      bool firmLeft = Firm(r.list, leftStart, r.i);
      OperandAsValue(r.list, leftStart, r.i, left);
      const size_t op = r.i++;
      // > ALL (select ...), = ANY (...), < SOME (...)
      bool quantified = false;
      if (!r.done() && (IsWord(r.at(), "all") || IsWord(r.at(), "any") || IsWord(r.at(), "some"))) ++r.i, quantified = true;
      size_t rightStart = r.i;
      T right = Additive(r);
      OperandAsValue(r.list, rightStart, r.i, right);
      if (Mismatched(left, right) && !quantified) {
        // Jet compares text with text and numbers (dates too) with numbers: a text
        // column against a number (CustomerID = 5), or a date against a quoted
        // date (OrderDate > '1995-1-1', where Jet wants #1995-1-1#), is no
        // comparison it makes.
        if (firmLeft && Firm(r.list, rightStart, r.i)) throw _com_error(JET_E_TYPEMISMATCH);
        // But a function's or an operator's result is a Variant, which VBA compares
        // with a text by reading the text as a number, or as a date beside a date
        // (Year(OrderDate) = '1995'); SQLite would find them never equal.
        const bool leftText = left == T::Text;
        const char* fn = (leftText ? right : left) == T::Date ? "cdate" : "cdbl";
        if (leftText) Wrap(r.list, leftStart, op, VbaFunctionSqlName(fn).c_str());
        else Wrap(r.list, rightStart, r.i, VbaFunctionSqlName(fn).c_str());
      }
      return T::Boolean;
    }
    if (IsWord(r.at(), "not") && r.i + 1 < r.b && IsCompareWord(r.list[r.i + 1])) ++r.i;
    if (IsWord(r.at(), "like")) {
      if (left == T::Date) AsDateText(r.list, leftStart, r.i);  // matched as its text
      ++r.i;
      Additive(r);
      if (!r.done() && IsWord(r.at(), "escape")) ++r.i, Additive(r);
      return T::Boolean;
    }
    if (IsWord(r.at(), "between")) {
      ++r.i;
      Additive(r);
      if (!r.done() && IsWord(r.at(), "and")) ++r.i, Additive(r);
      return T::Boolean;
    }
    if (IsWord(r.at(), "in")) {
      ++r.i;
      if (!r.done() && r.at().group) Group(r.list[r.i++], r.scope);
      return T::Boolean;
    }
    if (IsWord(r.at(), "is")) {
      ++r.i;
      if (!r.done() && IsWord(r.at(), "not")) ++r.i;
      if (!r.done() && IsWord(r.at(), "null")) ++r.i;
      return T::Boolean;
    }
    return left;
  }
  // One operand of arithmetic, parsed by `parse`; a Yes/No taken as its value.
  T ValueOperand(Range& r, T (Typer::*parse)(Range&)) {
    size_t start = r.i;
    T t = (this->*parse)(r);
    OperandAsValue(r.list, start, r.i, t);
    return t;
  }
  T Additive(Range& r) {
    size_t start = r.i;
    T t = Multiplicative(r);
    if (r.done() || !IsOp(r.at(), "-")) return t;
    OperandAsValue(r.list, start, r.i, t);
    while (!r.done() && IsOp(r.at(), "-")) {
      const size_t op = r.i++;
      t = sql::Additive(t, ValueOperand(r, &Typer::Multiplicative), true);
      if (t == T::Currency || t == T::Decimal)
        AsCall(r.list, start, op, r.i, t == T::Currency ? kCurrencySubtract : kDecimalSubtract);
    }
    return t;
  }
  T Multiplicative(Range& r) {
    size_t start = r.i;
    T t = Unary(r);
    if (r.done() || !(IsOp(r.at(), "*") || IsOp(r.at(), "/") || IsOp(r.at(), "%"))) return t;
    OperandAsValue(r.list, start, r.i, t);
    while (!r.done() && (IsOp(r.at(), "*") || IsOp(r.at(), "/") || IsOp(r.at(), "%"))) {
      bool divide = IsOp(r.at(), "/");
      ++r.i;
      T right = ValueOperand(r, &Typer::Unary);
      t = divide ? Divided(t, right) : Arithmetic(t, right);
    }
    return t;
  }
  T Unary(Range& r) {
    if (!r.done() && (IsOp(r.at(), "-") || IsOp(r.at(), "+"))) {
      ++r.i;
      T t = ValueOperand(r, &Typer::Unary);
      return t == T::Boolean ? T::Integer : t == T::Text ? T::Double : t;
    }
    if (!r.done() && IsWord(r.at(), "exists")) {
      ++r.i;
      if (!r.done() && r.at().group) Group(r.list[r.i++], r.scope);
      return T::Boolean;
    }
    return Primary(r);
  }

  T Primary(Range& r) {
    if (r.done()) return T::Unknown;
    Unit& u = r.at();
    if (u.call && r.i + 1 < r.b && r.list[r.i + 1].group) {
      r.i += 2;
      return Call(r.list, r.i - 2, r.scope);
    }
    if (u.group) {
      ++r.i;
      return Group(u, r.scope);
    }
    switch (u.tok.kind) {
      case TokKind::String: ++r.i; return T::Text;
      case TokKind::Date: ++r.i; return T::Date;
      case TokKind::Number: {
        ++r.i;
        if (u.tok.text.find_first_of(".eE") != std::string::npos) return T::Double;
        return u.tok.text.size() <= 9 || std::strtod(u.tok.text.c_str(), nullptr) <= 2147483647.0 ? T::Long
                                                                                                  : T::Double;
      }
      case TokKind::Raw:
        ++r.i;
        if (u.tok.text == "(-1)" || u.tok.text == "0") return T::Boolean;  // True, False, Yes, No
        return u.tok.text.find('.') != std::string::npos ? T::Double : T::Unknown;
      default:
        break;
    }
    if (IsWord(u, "null")) { ++r.i; return T::Null; }
    if (IsName(u)) {
      // name, or qualifier.name (a saved query's alias.column)
      std::string qualifier, name = u.tok.text;
      ++r.i;
      while (r.i + 1 < r.b && IsOp(r.at(), ".") && IsName(r.list[r.i + 1])) {
        qualifier = name;
        name = r.list[r.i + 1].tok.text;
        r.i += 2;
      }
      return Column(r.scope, qualifier, name);
    }
    ++r.i;  // a token the grammar does not know here: SQLite will judge it
    return T::Unknown;
  }

  T Column(const Scope& scope, const std::string& qualifier, const std::string& name) {
    std::string q = LowerAscii(qualifier), n = LowerAscii(name);
    for (const Scope* s = &scope; s; s = s->parent) {
      for (const Source& src : s->sources) {
        if (!q.empty() && src.alias != q) continue;
        for (const TypedColumn& c : src.columns)
          if (LowerAscii(c.name) == n) return FromAccess(c.type);
        if (!q.empty()) return T::Unknown;
      }
    }
    return T::Unknown;
  }

  // The alias, as written, of the source a column reference reads.
  static std::string Label(const Scope& scope, const std::string& qualifier, const std::string& name) {
    const std::string q = LowerAscii(qualifier), n = LowerAscii(name);
    for (const Source& src : scope.sources) {
      if (!q.empty()) {
        if (src.alias == q) return src.label;
        continue;
      }
      for (const TypedColumn& c : src.columns)
        if (LowerAscii(c.name) == n) return src.label;
    }
    return std::string();
  }

  // A parenthesized expression, a subquery (its first column) or a list.
  T Group(Unit& g, const Scope& scope) {
    if (!g.kids.empty() && IsWord(g.kids[0], "select")) {
      std::vector<TypedColumn> cols = Selects(g.kids, &scope);
      return cols.size() == 1 && cols[0].name != "*" ? FromAccess(cols[0].type) : T::Unknown;
    }
    if (IsQuantifiedComparison(g) && g.kids.size() == 2 && g.kids[1].kids.size() >= 5) {
      // (SELECT fold FROM (SELECT x op __jet_quantified AS __jet_c FROM (subquery))):
      // x against the subquery's one column, as a comparison.
      List& compare = g.kids[1].kids;
      const size_t op = compare.size() - 3;
      T left = Expression(compare, 1, op, scope);
      T right = Group(compare.back(), scope);
      if (Mismatched(left, right) && Firm(compare, 1, op) && SingleColumn(compare.back())) {
        throw _com_error(JET_E_TYPEMISMATCH);
      }
      return T::Boolean;
    }
    std::vector<T> parts = Arguments(g.kids, scope);
    return parts.size() == 1 ? parts[0] : T::Unknown;
  }

  std::vector<T> Arguments(List& kids, const Scope& scope) {
    std::vector<T> out;
    size_t a = 0;
    for (size_t k = 0; k <= kids.size(); ++k) {
      if (k < kids.size() && !IsOp(kids[k], ",")) continue;
      out.push_back(Expression(kids, a, k, scope));
      a = k + 1;
    }
    if (kids.empty()) out.clear();
    return out;
  }

  // list[c] is a function name, list[c + 1] its arguments.
  T Call(List& list, size_t c, const Scope& scope) {
    Unit& fn = list[c];
    Unit& args = list[c + 1];
    std::string name = LowerAscii(fn.tok.text);
    if (name.rfind("vba_", 0) == 0) name.erase(0, 4);
    // Jet has no DISTINCT inside an aggregate: Count(DISTINCT x) is a syntax error.
    if (IsAggregate(name) && !args.kids.empty() && IsWord(args.kids[0], "distinct")) Syntax();
    std::vector<T> types = Arguments(args.kids, scope);
    WrapArguments(name, args.kids, types);
    if (name == "cstr" && !types.empty() && types[0] == T::Date) {
      fn.tok.text = kDateTextFunction;  // CStr of a date is the date's text
    } else if (name == "cstr" && !types.empty() && (types[0] == T::Single || types[0] == T::Currency)) {
      fn.tok.text = TextFunction(types[0]);  // and of a Single its 7 digits, of a Currency its amount
    }
    const T result = FunctionResult(name, types);
    if (const char* exact = ExactMoney(name, result, types)) fn.tok.text = exact;
    if ((name == "iif" && types.size() == 3) || (name == "switch" && types.size() % 2 == 0)) {
      BranchesAsCase(list, c, name);
      return result;
    }
    // VarType, TypeName, IsNumeric and IsDate answer by the type Jet knows, not by
    // how SQLite holds the value (a date as a day number, a Yes/No as an integer).
    const int code = types.size() == 1 ? VarTypeCode(types[0]) : 0;
    if (code && (name == "vartype" || name == "typename" || name == "isnumeric" || name == "isdate")) {
      fn.tok.text = kTypedPrefix + name;
      args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
      args.kids.push_back(Unit{{TokKind::Number, std::to_string(code)}, {}, false, false});
    }
    return result;
  }

  // IIf(c, a, b) and Switch(c1, v1, ...) as a CASE, which evaluates only the
  // value it returns, as Jet does: IIf(n = 0, 0, x / n) must not divide by zero.
  // Each condition is still judged by the function's own rule for its truth.
  static void BranchesAsCase(List& list, size_t c, const std::string& name) {
    const std::string fn = list[c].tok.text;
    std::vector<List> parts(1);
    for (Unit& u : list[c + 1].kids) {
      if (IsOp(u, ",")) parts.emplace_back();
      else parts.back().push_back(std::move(u));
    }
    Unit whole{{TokKind::Open, "("}, {Raw("CASE")}, true, false};
    auto add = [&](const char* before, List& part, const char* after) {
      whole.kids.push_back(Raw(before));
      whole.kids.insert(whole.kids.end(), part.begin(), part.end());
      if (*after) whole.kids.push_back(Raw(after));
    };
    for (size_t k = 0; k + 1 < parts.size(); k += 2) {
      add(("WHEN " + fn + "(").c_str(), parts[k], name == "iif" ? ", 1, 0) THEN" : ", 1) THEN");
      add("", parts[k + 1], "");
      if (name == "iif") add("ELSE", parts[2], "");
      if (name == "iif") break;
    }
    whole.kids.push_back(Raw("END"));
    // Two units still, so that the positions the typing holds stay right; still
    // a call's, so that a text result compares as a function's does.
    list[c] = Raw("");
    list[c].call = true;
    list[c + 1] = std::move(whole);
  }

  // The function that gives a value of type `t` its text form in a statement.
  static const char* TextFunction(T t) {
    return t == T::Date ? kDateTextFunction : t == T::Single ? kSingleTextFunction : kCurrencyText;
  }

  // The exact operation for a +, Sum or Avg whose Jet type is Currency or Decimal
  // (Money.h); null for any other call.
  static const char* ExactMoney(const std::string& name, T result, const std::vector<T>& types) {
    const T arg = types.empty() ? T::Unknown : types[0];
    if (name == "add") return result == T::Currency ? kCurrencyAdd : result == T::Decimal ? kDecimalAdd : nullptr;
    if (name == "sum") return arg == T::Currency ? kCurrencySum : arg == T::Decimal ? kDecimalSum : nullptr;
    if (name == "avg") return arg == T::Currency ? kCurrencyAverage : nullptr;
    return nullptr;
  }

  // Units [a, b) of `list`, an operator at `op` between two operands, as the call
  // fn(left, right); the call takes the first unit's place and the others stay as
  // empty units, so that the positions the parse holds do not move.
  static void AsCall(List& list, size_t a, size_t op, size_t b, const char* fn) {
    Unit args{{TokKind::Open, "("}, {}, true, false};
    for (size_t k = a; k < b; ++k) {
      if (k == op) args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
      else args.kids.push_back(std::move(list[k]));
      list[k] = Raw("");
    }
    list[a] = Unit{{TokKind::Open, "("}, {Unit{{TokKind::Word, fn}, {}, false, true}, std::move(args)}, true, false};
  }

  // VBA's VarType code of a value of type `t`; 0 where the type is not known.
  static int VarTypeCode(T t) {
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

  // Whether argument `arg` of `count` is one of the function's String parameters,
  // where VBA turns a date into its text form (Left(OrderDate, 4) is "1994").
  static bool TextParameter(const std::string& name, size_t arg, size_t count) {
    const vba::FunctionInfo* row = vba::FindFunction(name);
    return row && row->TextParameter(arg, count);
  }

  // Jet's True is -1, SQLite's comparisons give 1: a Yes/No the grammar made
  // (a comparison, Not, And...) becomes -1 or 0 where it is used as a value.
  static void AsJetTruth(List& kids) {
    Unit inner{{TokKind::Open, "("}, std::move(kids), true, false};
    Unit test{{TokKind::Open, "("}, {inner, Raw("<> 0")}, true, false};
    kids = {Unit{{TokKind::Op, "-"}, {}, false, false}, test};
  }
  // Units [a, b) of `list` given to the date-text function, in place: the call
  // takes the first unit's place and the others stay as empty units, so that the
  // positions the parse holds do not move.
  static void AsDateText(List& list, size_t a, size_t b) { Wrap(list, a, b, kDateTextFunction); }
  // Units [a, b) as the argument of function `fn`, their count kept (the typing
  // holds positions in the list).
  static void Wrap(List& list, size_t a, size_t b, const char* fn) {
    if (b <= a) return;
    Unit args{{TokKind::Open, "("}, {}, true, false};
    for (size_t k = a; k < b; ++k) {
      args.kids.push_back(std::move(list[k]));
      list[k] = Raw("");
    }
    list[a] = Unit{{TokKind::Open, "("}, {Unit{{TokKind::Word, fn}, {}, false, true}, std::move(args)}, true, false};
  }

  // An operand that is a parenthesized Yes/No, as a value (in arithmetic, a comparison).
  static void OperandAsValue(List& list, size_t start, size_t end, T type) {
    if (type != T::Boolean || end != start + 1 || !list[start].group || list[start].kids.empty() ||
        IsWord(list[start].kids[0], "select"))
      return;
    AsJetTruth(list[start].kids);
  }

  // The arguments of a call as Jet passes them: a Yes/No the grammar made as -1
  // or 0 (a condition of IIf or Switch needs only its truth), and for & and the
  // text functions a date, a Single or a Currency by its text form.
  static void WrapArguments(const std::string& name, List& kids, const std::vector<T>& types) {
    size_t a = 0, arg = 0;
    for (size_t k = 0; k <= kids.size(); ++k) {
      if (k < kids.size() && !IsOp(kids[k], ",")) continue;
      T t = arg < types.size() ? types[arg] : T::Unknown;
      bool single = k == a + 1 && !kids[a].group;  // a stored Yes/No or a literal: -1 already
      bool condition = (name == "iif" && arg == 0) || (name == "switch" && arg % 2 == 0);
      bool truth = t == T::Boolean && !single && !condition;
      bool date = t == T::Date && TextParameter(name, arg, types.size());
      bool text = (t == T::Single || t == T::Currency) && TextParameter(name, arg, types.size());
      if ((truth || date || text) && k > a) {
        List part(kids.begin() + static_cast<long>(a), kids.begin() + static_cast<long>(k));
        if (truth) {
          AsJetTruth(part);
        } else {
          part = {Unit{{TokKind::Word, TextFunction(t)}, {}, false, true},
                  Unit{{TokKind::Open, "("}, std::move(part), true, false}};
        }
        kids.erase(kids.begin() + static_cast<long>(a), kids.begin() + static_cast<long>(k));
        kids.insert(kids.begin() + static_cast<long>(a), part.begin(), part.end());
        k = a + part.size();
      }
      ++arg;
      a = k + 1;
    }
  }

  // The sources of a FROM range [a, b): tables, saved queries, derived tables and
  // the tables of nested joins; then the join conditions, typed over them.
  void Sources(List& list, size_t a, size_t b, Scope* scope) {
    bool expectSource = true;
    for (size_t k = a; k < b; ++k) {
      Unit& u = list[k];
      if (IsOp(u, ",") || IsWord(u, "join")) { expectSource = true; continue; }
      if (IsWord(u, "on")) {
        expectSource = false;
        continue;
      }
      if (!expectSource) continue;
      expectSource = false;
      Source src;
      if (u.group) {
        List& kids = u.kids;
        if (kids.size() == 3 && kids[0].tok.kind == TokKind::Raw && IsName(kids[1])) {
          // a table read through a materialized subquery: (SELECT * FROM t LIMIT -1),
          // named after the table unless the statement gives it an alias
          src.alias = LowerAscii(kids[1].tok.text);
          src.known = Lookup(kids[1].tok.text, &src.columns);
        } else if (!kids.empty() && IsWord(kids[0], "select")) {
          src.columns = Selects(kids, scope->parent);
          src.known = true;
          for (const TypedColumn& c : src.columns) src.known = src.known && c.name != "*";
        } else {
          Sources(kids, 0, kids.size(), scope);  // (a INNER JOIN b ON ...)
          continue;
        }
      } else if (IsName(u)) {
        src.alias = LowerAscii(u.tok.text);
        src.known = Lookup(u.tok.text, &src.columns);
      } else {
        continue;
      }
      const std::string table = src.alias;
      size_t alias = 0;
      if (k + 2 < b && IsWord(list[k + 1], "as")) alias = k + 2;
      else if (k + 1 < b && IsName(list[k + 1]) && !IsWord(list[k + 1], "on")) alias = k + 1;
      if (alias) {
        src.alias = LowerAscii(list[alias].tok.text);
        if (src.alias != table) src.label = list[alias].tok.text;
        k = alias;
      }
      scope->sources.push_back(std::move(src));
    }
  }

  void JoinConditions(List& list, size_t a, size_t b, const Scope& scope) {
    for (size_t k = a; k < b; ++k) {
      if (list[k].group && !(list[k].kids.size() && (IsWord(list[k].kids[0], "select") ||
                                                     list[k].kids[0].tok.kind == TokKind::Raw))) {
        JoinConditions(list[k].kids, 0, list[k].kids.size(), scope);
        continue;
      }
      if (!IsWord(list[k], "on")) continue;
      size_t e = k + 1;
      while (e < b && !IsWord(list[e], "inner") && !IsWord(list[e], "left") && !IsWord(list[e], "right") &&
             !IsWord(list[e], "join") && !IsWord(list[e], "full") && !IsOp(list[e], ","))
        ++e;
      Expression(list, k + 1, e, scope);
      k = e - 1;
    }
  }

  // The names the select list [a, b) gives its fields with AS, in lower case.
  static std::set<std::string> SelectAliases(const List& list, size_t a, size_t b) {
    std::set<std::string> out;
    for (size_t k = a; k + 1 < b; ++k)
      if (IsWord(list[k], "as") && IsName(list[k + 1])) out.insert(LowerAscii(list[k + 1].tok.text));
    return out;
  }

  // Whether `name` is a column of a source of the scope or of a scope around it;
  // unknown (false, with *known false) when a source's columns are not known.
  static bool SourceColumn(const Scope& scope, const std::string& name, bool* known) {
    const std::string n = LowerAscii(name);
    *known = true;
    for (const Scope* s = &scope; s; s = s->parent) {
      for (const Source& src : s->sources) {
        *known = *known && src.known;
        for (const TypedColumn& c : src.columns)
          if (LowerAscii(c.name) == n) return true;
      }
    }
    return false;
  }

  // Jet reads a WHERE clause before the select list: a field's alias used there
  // names nothing, and Jet takes it as a parameter with no value (SQLite would
  // quietly read the alias's expression). Parenthesized parts are searched too;
  // subqueries have their own select lists.
  static void RefuseAliases(const List& list, size_t a, size_t b, const std::set<std::string>& aliases,
                            const Scope& scope) {
    if (aliases.empty()) return;
    for (size_t k = a; k < b; ++k) {
      const Unit& u = list[k];
      if (u.group) {
        if (u.kids.empty() || !IsWord(u.kids[0], "select")) RefuseAliases(u.kids, 0, u.kids.size(), aliases, scope);
        continue;
      }
      if (!IsName(u) || u.call || !aliases.count(LowerAscii(u.tok.text))) continue;
      if ((k > a && IsOp(list[k - 1], ".")) || (k + 1 < b && IsOp(list[k + 1], "."))) continue;
      bool known;
      if (!SourceColumn(scope, u.tok.text, &known) && known) throw _com_error(JET_E_NOCOLUMN);
    }
  }

  bool Lookup(const std::string& name, std::vector<TypedColumn>* columns) {
    return m_lookup && *m_lookup && (*m_lookup)(name, columns);
  }

  const ColumnLookup* m_lookup;
};

bool EndsClause(const Unit& u) {
  return IsWord(u, "where") || IsWord(u, "group") || IsWord(u, "having") || IsWord(u, "order") ||
         (u.tok.kind == TokKind::Raw && u.tok.text == "LIMIT") || IsCompoundWord(u);
}

std::vector<TypedColumn> Typer::Select(List& list, size_t s, size_t end, const Scope* parent) {
  size_t p = s + 1;
  for (;;) {
    if (p < end && (IsWord(list[p], "all") || IsWord(list[p], "distinct") || IsWord(list[p], "distinctrow") ||
                    IsWord(list[p], "percent"))) {
      ++p;
    } else if (p + 1 < end && IsWord(list[p], "top")) {
      p += 2;
    } else {
      break;
    }
  }
  size_t from = p;
  while (from < end && !IsWord(list[from], "from")) ++from;
  Scope scope;
  scope.parent = parent;
  size_t fromEnd = from < end ? from + 1 : end;
  while (fromEnd < end && !EndsClause(list[fromEnd])) ++fromEnd;
  if (from < end) {
    Sources(list, from + 1, fromEnd, &scope);
    JoinConditions(list, from + 1, fromEnd, scope);
  }
  // The select list: * and t.* stand for their sources' columns.
  std::vector<TypedColumn> out;
  size_t a = p;
  for (size_t k = p; k <= from; ++k) {
    if (k < from && !IsOp(list[k], ",")) continue;
    bool star = k == a + 1 && IsOp(list[a], "*");
    bool qualifiedStar = k == a + 3 && IsName(list[a]) && IsOp(list[a + 1], ".") && IsOp(list[a + 2], "*");
    if (star || qualifiedStar) {
      std::string q = qualifiedStar ? LowerAscii(list[a].tok.text) : std::string();
      for (const Source& src : scope.sources) {
        if (qualifiedStar && src.alias != q) continue;
        if (!src.known) { out.push_back({"*", -1, ""}); continue; }
        for (TypedColumn c : src.columns) {
          c.source = src.label;
          out.push_back(std::move(c));
        }
      }
    } else if (k > a) {
      TypedColumn c;
      c.type = ToAccess(Expression(list, a, k, scope));
      if (k >= a + 2 && IsWord(list[k - 2], "as")) c.name = list[k - 1].tok.text;
      else if (IsName(list[k - 1])) c.name = list[k - 1].tok.text;
      if (k == a + 1 && IsName(list[a])) c.source = Label(scope, "", list[a].tok.text);
      if (k == a + 3 && IsName(list[a]) && IsOp(list[a + 1], ".") && IsName(list[a + 2]))
        c.source = Label(scope, list[a].tok.text, list[a + 2].tok.text);
      out.push_back(c);
    }
    a = k + 1;
  }
  // The other clauses, for what they refuse and rewrite.
  for (size_t c = fromEnd; c < end;) {
    size_t start = c + 1;
    if (IsWord(list[c], "group") || IsWord(list[c], "order")) ++start;
    if (list[c].tok.kind == TokKind::Raw && list[c].tok.text == "LIMIT") break;
    size_t e = start;
    while (e < end && !EndsClause(list[e])) ++e;
    if (IsWord(list[c], "where")) RefuseAliases(list, start, e, SelectAliases(list, p, from), scope);
    size_t x = start;
    for (size_t k = start; k <= e; ++k) {
      if (k < e && !IsOp(list[k], ",")) continue;
      Expression(list, x, k, scope);
      x = k + 1;
    }
    c = e;
  }
  return out;
}

}  // namespace

const char kDateTextFunction[] = "vba_datetext";
const char kSingleTextFunction[] = "vba_singletext";

ResultTypes TypeStatement(List& root, const ColumnLookup* lookup) {
  Typer typer(lookup);
  std::vector<TypedColumn> cols = typer.Selects(root, nullptr);
  ResultTypes types;
  size_t k = 0;
  while (k < cols.size() && cols[k].name != "*") types.first.push_back(cols[k++]);
  types.whole = k == cols.size();
  size_t last = cols.size();
  while (last > k && cols[last - 1].name != "*") --last;
  types.last.assign(cols.begin() + static_cast<long>(last), cols.end());
  return types;
}

}  // namespace jet::sql
