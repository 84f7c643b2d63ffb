// What Jet refuses to run, judged on the typed tree before anything is lowered:
// functions it does not have, text compared with a number, a field's alias in
// WHERE, fields neither grouped nor aggregated, sorting a DISTINCT or grouped
// select by what it does not give, and DISTINCT inside an aggregate.
#include "platform/jet/sql/Refusals.h"

#include <algorithm>
#include <optional>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/sql/Printer.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

namespace {

using T = ExprType;

bool IsComparison(const Node& n) {
  if (n.kind != NodeKind::Binary) return false;
  const std::string& s = n.text;
  return s == "=" || s == "<>" || s == "!=" || s == "<" || s == ">" || s == "<=" || s == ">=";
}

// A column or a literal (with its sign): a value whose type Jet fixes before it runs.
bool Firm(const Node& n) {
  const Node& v = n.kind == NodeKind::Unary ? n.kids[0] : n;
  return v.kind == NodeKind::Column || v.kind == NodeKind::String || v.kind == NodeKind::Number;
}

class Refusals {
 public:
  explicit Refusals(const Resolution& r) : m_r(r) {}

  void Query(const sql::Query& q) {
    for (const sql::Select& s : q.members) Select(s, q.members.size() > 1);
    // The selects of a union give the same number of fields (a * counts as unknown).
    std::optional<size_t> fields;
    for (const sql::Select& s : q.members) {
      const bool star = std::any_of(s.items.begin(), s.items.end(),
                                    [](const SelectItem& i) { return i.expr.kind == NodeKind::Star; });
      if (star) continue;
      if (fields && *fields != s.items.size()) throw _com_error(JET_E_SYNTAX, UnionFieldCountCause());
      fields = s.items.size();
    }
    for (const OrderKey& key : q.orderBy) Expr(key.expr);
    if (q.members.size() > 1) CheckPositions(q.orderBy, q.members[0].items);
  }

  // ORDER BY 2 names the second field: a position past the last one names none.
  static void CheckPositions(const std::vector<OrderKey>& keys, const std::vector<SelectItem>& items) {
    const bool star = std::any_of(items.begin(), items.end(), [](const SelectItem& i) { return i.expr.kind == NodeKind::Star; });
    for (const OrderKey& key : keys) {
      if (star || key.expr.kind != NodeKind::Number) continue;
      const std::string& digits = key.expr.text;
      const bool whole = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
      if (whole && (digits.size() > 9 || std::stoul(digits) < 1 || std::stoul(digits) > items.size()))
        throw _com_error(JET_E_SYNTAX, OrderKeyNotSelectedCause(digits));
    }
  }

  void Expr(const Node& n) {
    if (n.query) Query(*n.query);
    for (const Node& k : n.kids) Expr(k);
    if (n.kind == NodeKind::Call) Call(n);
    // Jet compares text with text and numbers (dates too) with numbers: a text
    // column against a number (CustomerID = 5), or a date against a quoted date
    // (OrderDate > '1995-1-1', where Jet wants #1995-1-1#), is no comparison it
    // makes. A function's or an operator's result is a Variant, which it reads
    // as the other side needs.
    if (IsComparison(n) && Mismatched(n.kids[0].type, n.kids[1].type) && Firm(n.kids[0]) && Firm(n.kids[1]))
      throw _com_error(JET_E_TYPEMISMATCH);
    if (n.kind == NodeKind::Quantified && Firm(n.kids[0]) && n.query->members.size() == 1) {
      const sql::Select& sub = n.query->members[0];
      if (sub.items.size() == 1 && Firm(sub.items[0].expr) && Mismatched(n.kids[0].type, sub.items[0].expr.type))
        throw _com_error(JET_E_TYPEMISMATCH);
    }
  }

  static bool Mismatched(T left, T right) {
    auto numeric = [](T t) { return IsNumber(t) || t == T::Date; };
    return (left == T::Text && numeric(right)) || (numeric(left) && right == T::Text);
  }

 private:
  static void Call(const Node& n) {
    const std::string vba = VbaCallSqlName(n.text);
    const bool aggregate = IsJetAggregate(n.text);
    // Only Jet's functions exist for a statement.
    if (vba.empty() && !aggregate) throw _com_error(JET_E_NOCOLUMN, NoSuchColumnCause(n.text));
    // Jet's aggregates take one argument; SQLite's min/max of several are no Jet.
    if (vba.empty() && n.kids.size() > 1) throw _com_error(JET_E_SYNTAX, ArgumentCountCause(n.text));
    // A function of Jet's takes the arguments its row says.
    const vba::FunctionInfo* row = vba.empty() ? nullptr : vba::FindFunction(n.text);
    const int count = static_cast<int>(n.kids.size());
    if (row && (count < row->minArgs || (row->maxArgs >= 0 && count > row->maxArgs)))
      throw _com_error(JET_E_SYNTAX, ArgumentCountCause(n.text));
    // Jet has no DISTINCT inside an aggregate: Count(DISTINCT x) is a syntax error.
    if (n.distinct) throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(n.text + "(DISTINCT"));
  }

  void Select(const sql::Select& s, bool compound) {
    for (const Source& src : s.from) SourceExprs(src);
    for (const SelectItem& item : s.items) Expr(item.expr);
    if (s.where) {
      Expr(*s.where);
      RefuseAliases(*s.where, s);
    }
    for (const Node& g : s.groupBy) Expr(g);
    if (s.having) Expr(*s.having);
    for (const OrderKey& key : s.orderBy) Expr(key.expr);
    CheckGrouped(s);
    if (!compound) CheckOrderKeys(s);
    if (!compound) CheckPositions(s.orderBy, s.items);
  }
  void SourceExprs(const Source& src) {
    if (src.query) Query(*src.query);
    for (const Source& side : src.sides) SourceExprs(side);
    if (src.on) Expr(*src.on);
  }

  // Jet reads a WHERE clause before the select list: a field's alias used there
  // names nothing, and Jet takes it as a parameter with no value (SQLite would
  // quietly read the alias's expression). Subqueries have their own select lists.
  void RefuseAliases(const Node& n, const sql::Select& s) const {
    if (n.kind == NodeKind::Subquery || n.kind == NodeKind::Exists) return;
    if (n.kind == NodeKind::Column && n.qualifier.empty()) {
      for (const SelectItem& item : s.items) {
        if (item.alias.empty() || LowerAscii(item.alias) != LowerAscii(n.text)) continue;
        bool known;
        if (!IsScopeColumn(*m_r.scopes.at(&s), n.text, &known) && known)
          throw _com_error(JET_E_NOCOLUMN, NoSuchColumnCause(n.text));
      }
    }
    for (const Node& k : n.kids) RefuseAliases(k, s);
  }

  static std::string Text(const Node& n) { return LowerAscii(Print(n)); }

  // The column names an expression refers to (the last part of a qualified
  // name); false when it holds a * (a whole row).
  static bool ColumnRefs(const Node& n, std::vector<std::string>* refs) {
    if (n.kind == NodeKind::Subquery || n.kind == NodeKind::Exists) return true;  // answers for itself
    if (n.kind == NodeKind::Star) return false;
    if (n.kind == NodeKind::Column) refs->push_back(LowerAscii(n.text));
    for (const Node& k : n.kids)
      if (!ColumnRefs(k, refs)) return false;
    return true;
  }
  // The group keys' texts, and the names of those that are plain columns.
  static void GroupKeys(const sql::Select& s, std::vector<std::string>* keys, std::vector<std::string>* names) {
    for (const Node& g : s.groupBy) {
      keys->push_back(Text(g));
      if (g.kind == NodeKind::Column) names->push_back(LowerAscii(g.text));
    }
  }
  static bool Among(const std::vector<std::string>& v, const std::string& x) {
    return std::find(v.begin(), v.end(), x) != v.end();
  }

  // Jet refuses a grouped or aggregate select whose fields are neither grouped
  // nor aggregated ("select name, count(*) from t"); SQLite would pick a value.
  static void CheckGrouped(const sql::Select& s) {
    bool aggregate = false;
    for (const SelectItem& item : s.items) aggregate = aggregate || HasAggregate(item.expr);
    if (s.groupBy.empty() && !aggregate) return;
    std::vector<std::string> keys, names;
    GroupKeys(s, &keys, &names);
    for (const SelectItem& item : s.items) {
      if (HasAggregate(item.expr) || Among(keys, Text(item.expr))) continue;
      std::vector<std::string> refs;
      if (!ColumnRefs(item.expr, &refs)) throw _com_error(JET_E_SYNTAX, NotGroupedCause("*"));
      for (const std::string& r : refs)
        if (!Among(names, r)) throw _com_error(JET_E_SYNTAX, NotGroupedCause(FieldName(item)));
    }
  }

  // Jet sorts a DISTINCT or a grouped select only by what it gives: ORDER BY City
  // after SELECT DISTINCT Country (or GROUP BY Country) is its error, where SQLite
  // would sort by the City of some row. A key may be a field, its alias or
  // position, and in a grouped select an aggregate or what the groups are made of.
  static void CheckOrderKeys(const sql::Select& s) {
    const bool distinct = s.quantity == Select::Quantity::Distinct;
    bool aggregate = false;
    for (const SelectItem& item : s.items) aggregate = aggregate || HasAggregate(item.expr);
    if (s.orderBy.empty() || (!distinct && s.groupBy.empty() && !aggregate)) return;
    std::vector<std::string> fields, names, groupKeys, groupNames;
    for (const SelectItem& item : s.items) {
      if (!item.alias.empty()) names.push_back(LowerAscii(item.alias));
      if (item.expr.kind == NodeKind::Column) names.push_back(LowerAscii(item.expr.text));
      fields.push_back(Text(item.expr));
    }
    GroupKeys(s, &groupKeys, &groupNames);
    for (const OrderKey& key : s.orderBy) {
      const Node& k = key.expr;
      const std::string text = Text(k);
      bool ok = k.kind == NodeKind::Number || (k.kind == NodeKind::Column && k.qualifier.empty() && Among(names, text));
      ok = ok || Among(fields, text) || (!distinct && (HasAggregate(k) || Among(groupKeys, text)));
      if (!ok && !distinct) {
        std::vector<std::string> refs;
        ok = ColumnRefs(k, &refs);
        for (const std::string& r : refs) ok = ok && Among(groupNames, r);
      }
      if (!ok) throw _com_error(JET_E_SYNTAX, OrderKeyNotSelectedCause(Written(k)));
    }
  }
  // A field as the messages name it: its alias, its column's name, or its text.
  static std::string FieldName(const SelectItem& item) {
    return item.alias.empty() ? Written(item.expr) : item.alias;
  }
  static std::string Written(const Node& n) { return n.kind == NodeKind::Column ? n.text : Print(n); }

  const Resolution& m_r;
};

}  // namespace

void CheckRefusals(const Query& q, const Resolution& r) { Refusals(r).Query(q); }

void CheckRefusals(const Node& n, const Resolution& r) { Refusals(r).Expr(n); }

}  // namespace jet::sql
