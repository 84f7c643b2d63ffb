// The expression rewrites: literals Jet writes its own way, function names, and
// the operators whose meaning differs from SQLite's (&, +, /, \, ^, Mod, !): / divides
// as Doubles (7 / 2 is 3.5) and a zero divisor is an error, not SQLite's NULL.
#include <cstdio>
#include <cstring>
#include <set>

#include "platform/com/ComError.h"
#include "platform/jet/vba/DateParse.h"
#include "platform/jet/sql/Tree.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

namespace {

// SQLite keywords that are plain names in Jet; they reach SQLite quoted so that a
// column called "limit" or "case" stays a column.
const std::set<std::string>& SqliteOnlyWords() {
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
  return k;
}

std::string DayNumberText(double d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", d);
  std::string s = buf;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";  // stays a REAL in SQLite
  return s;
}

bool HasTopLevelComma(const List& list) {
  for (const Unit& u : list)
    if (IsOp(u, ",")) return true;
  return false;
}

// Literals, the bang qualifier, Mod, division in Doubles, and function names.
void RewriteTokens(List& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    Unit& u = list[i];
    if (u.group) continue;
    if (u.tok.kind == TokKind::Date) {
      double d;
      if (!ParseJetDate(u.tok.text, &d)) Syntax(list, i);
      u.tok.text = DayNumberText(d);  // stays a Date token, so that it is typed as one
    } else if (u.tok.kind == TokKind::Op && u.tok.text == ";") {
      Syntax(list, i);  // one statement only
    } else if (u.tok.kind == TokKind::Op && u.tok.text == "!") {
      u.tok = Token{TokKind::Op, std::string(1, '.')};  // Customers!City
    } else if (IsWord(u, "true")) {
      u = Raw("(-1)");
    } else if (IsWord(u, "false")) {
      u = Raw("0");
    } else if ((IsWord(u, "yes") || IsWord(u, "no")) && i > 0 && IsComparison(list[i - 1])) {
      // Access writes "Discontinued = No"; elsewhere Yes and No stay names.
      u = Raw(IsWord(u, "yes") ? "(-1)" : "0");
    } else if (IsWord(u, "mod")) {
      u.tok = {TokKind::Op, "%"};
    } else if (u.tok.kind == TokKind::Word && i + 1 < list.size() && list[i + 1].group &&
               (!IsKeyword(u) || IsWord(u, "left") || IsWord(u, "right") || IsWord(u, "asc"))) {
      u.call = true;
      std::string vba = VbaCallSqlName(u.tok.text);
      if (!vba.empty()) {
        u.tok.text = vba;
      } else if (!IsJetAggregate(u.tok.text)) {
        // Only Jet's functions exist for a statement. (A name with parentheses
        // where a table belongs is no call: SQLite refuses it as a syntax error.)
        bool tablePlace = i > 0 && (IsWord(list[i - 1], "from") || IsWord(list[i - 1], "join"));
        if (!tablePlace) throw _com_error(JET_E_NOCOLUMN);
      } else if (HasTopLevelComma(list[i + 1].kids)) {
        Syntax();  // Jet's aggregates take one argument; SQLite's min/max of several are no Jet
      }
    }
  }
}

bool IsMultiplicative(const Unit& u) { return IsOp(u, "*") || IsOp(u, "/") || IsOp(u, "%"); }
bool IsAdditiveLeft(const Unit& u) { return IsMultiplicative(u) || IsOp(u, "-"); }

size_t OperandStart(const List& list, size_t opIndex, bool (*tighter)(const Unit&) = IsTighterOp) {
  size_t end = opIndex;
  for (;;) {
    if (end == 0) Syntax(list, opIndex);
    size_t k = end - 1;
    const Unit& u = list[k];
    size_t start;
    if (u.group) {
      start = (k > 0 && list[k - 1].call) ? k - 1 : k;
    } else if (IsOperandEnd(u)) {
      start = k;
      while (start >= 2 && IsOp(list[start - 1], ".") && IsName(list[start - 2])) start -= 2;
    } else {
      Syntax(list, k);
    }
    if (start > 0 && tighter(list[start - 1])) {
      bool sign = IsOp(list[start - 1], "+") || IsOp(list[start - 1], "-");
      if (sign && (start - 1 == 0 || !IsOperandEnd(list[start - 2]))) return start - 1;
      end = start - 1;
      continue;
    }
    return start;
  }
}

size_t OperandEnd(const List& list, size_t opIndex, bool (*tighter)(const Unit&) = IsTighterOp) {
  size_t k = opIndex + 1, n = list.size();
  for (;;) {
    while (k < n && (IsOp(list[k], "+") || IsOp(list[k], "-"))) ++k;
    if (k >= n) Syntax(list, opIndex);
    const Unit& u = list[k];
    if (u.call) {
      k += 2;
    } else if (IsOperandEnd(u)) {
      ++k;
      while (k + 1 < n && IsOp(list[k], ".") && (IsName(list[k + 1]) || IsOp(list[k + 1], "*"))) k += 2;
    } else {
      Syntax(list, k);
    }
    if (k < n && tighter(list[k])) { ++k; continue; }
    return k;
  }
}

// a & b & c  ->  vba_cat(a, b, c): & binds looser than + - * / and treats NULL as
// empty text, neither of which SQLite's || does.
void RewriteConcat(List& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (!IsOp(list[i], "&")) continue;
    size_t start = OperandStart(list, i);
    std::vector<std::pair<size_t, size_t>> operands{{start, i}};
    size_t end = OperandEnd(list, i);
    operands.push_back({i + 1, end});
    while (end < list.size() && IsOp(list[end], "&")) {
      size_t next = OperandEnd(list, end);
      operands.push_back({end + 1, next});
      end = next;
    }
    Unit args{{TokKind::Open, "("}, {}, true, false};
    for (size_t o = 0; o < operands.size(); ++o) {
      if (o) args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
      for (size_t k = operands[o].first; k < operands[o].second; ++k) args.kids.push_back(list[k]);
    }
    Unit fn{{TokKind::Word, VbaFunctionSqlName("cat")}, {}, false, true};
    list.erase(list.begin() + static_cast<long>(start), list.begin() + static_cast<long>(end));
    list.insert(list.begin() + static_cast<long>(start), {fn, args});
    i = start + 1;
  }
}

// a + b  ->  vba_add(a, b): Jet's + also joins two texts ("a" + "b" is "ab"),
// where SQLite would add their numeric values.
void RewritePlus(List& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (!IsOp(list[i], "+")) continue;
    if (i == 0 || !IsOperandEnd(list[i - 1])) continue;  // a sign, not an addition
    size_t start = OperandStart(list, i, IsAdditiveLeft);
    size_t end = OperandEnd(list, i, IsMultiplicative);
    Unit args{{TokKind::Open, "("}, {}, true, false};
    for (size_t k = start; k < i; ++k) args.kids.push_back(list[k]);
    args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
    for (size_t k = i + 1; k < end; ++k) args.kids.push_back(list[k]);
    Unit fn{{TokKind::Word, VbaFunctionSqlName("add")}, {}, false, true};
    list.erase(list.begin() + static_cast<long>(start), list.begin() + static_cast<long>(end));
    list.insert(list.begin() + static_cast<long>(start), {fn, args});
    i = start;
  }
}

bool NoOperator(const Unit&) { return false; }
bool IsMulDiv(const Unit& u) { return IsOp(u, "*") || IsOp(u, "/"); }

// Replaces `left op right` by fn(left, right), left to right; the operands
// reach as far as `leftOps` / `rightOps` bind tighter than the operator.
void RewriteBinary(List& list, const char* op, const char* fn, bool (*leftOps)(const Unit&),
                   bool (*rightOps)(const Unit&)) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (!IsOp(list[i], op)) continue;
    size_t start = OperandStart(list, i, leftOps);
    // 2 ^ 2 binds before a sign: -2 ^ 2 is -(2 ^ 2).
    if (leftOps == NoOperator && (IsOp(list[start], "-") || IsOp(list[start], "+"))) ++start;
    size_t end = OperandEnd(list, i, rightOps);
    Unit args{{TokKind::Open, "("}, {}, true, false};
    for (size_t k = start; k < i; ++k) args.kids.push_back(list[k]);
    args.kids.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
    for (size_t k = i + 1; k < end; ++k) args.kids.push_back(list[k]);
    Unit call{{TokKind::Word, VbaFunctionSqlName(fn)}, {}, false, true};
    list.erase(list.begin() + static_cast<long>(start), list.begin() + static_cast<long>(end));
    list.insert(list.begin() + static_cast<long>(start), {call, args});
    i = start;
  }
}

// How the fold of a quantified comparison begins, so typing can tell it (a Yes/No).
const char kQuantifiedFold[] = "SELECT CASE WHEN sum(__jet_c ";

// x op ALL (select ...), x op ANY / SOME (select ...): SQLite has no quantified
// comparisons, so each becomes a subquery that compares x with every row and
// folds the answers with SQL's three values: ANY is true when one comparison is,
// false when all are false (or there are no rows), NULL otherwise; ALL is false
// when one is false, true when all are true (or there are no rows), NULL
// otherwise. The subquery's one column is named so the comparison can reach it.
void RewriteQuantified(List& list) {
  for (size_t i = 1; i + 1 < list.size(); ++i) {
    bool all = IsWord(list[i], "all");
    if (!all && !IsWord(list[i], "any") && !IsWord(list[i], "some")) continue;
    if (!IsComparison(list[i - 1])) continue;
    Unit& sub = list[i + 1];
    if (!sub.group || sub.kids.empty() || !IsWord(sub.kids[0], "select")) Syntax();
    size_t from = 1;
    while (from < sub.kids.size() && !IsWord(sub.kids[from], "from")) {
      if (IsOp(sub.kids[from], ",")) Syntax();  // the subquery must give one field
      ++from;
    }
    if (from >= 3 && IsWord(sub.kids[from - 2], "as")) {  // its own alias gives way
      sub.kids.erase(sub.kids.begin() + static_cast<long>(from) - 2, sub.kids.begin() + static_cast<long>(from));
      from -= 2;
    }
    sub.kids.insert(sub.kids.begin() + static_cast<long>(from), {Unit{{TokKind::Word, "AS"}, {}, false, false}, Raw("__jet_quantified")});
    size_t op = i - 1;
    size_t start = OperandStart(list, op);
    Unit compare{{TokKind::Open, "("}, {Raw("SELECT")}, true, false};
    compare.kids.insert(compare.kids.end(), list.begin() + static_cast<long>(start), list.begin() + static_cast<long>(op));
    compare.kids.push_back(list[op]);
    compare.kids.push_back(Raw("__jet_quantified AS __jet_c FROM"));
    compare.kids.push_back(sub);
    Unit fold{{TokKind::Open, "("}, {}, true, false};
    // True is Jet's -1; a comparison counts as true when it is not 0.
    fold.kids.push_back(Raw(std::string(kQuantifiedFold) +
                            (all ? "= 0) > 0 THEN 0 WHEN count(*) = count(__jet_c) THEN -1 END FROM"
                                 : "<> 0) > 0 THEN -1 WHEN count(*) = count(__jet_c) THEN 0 END FROM")));
    fold.kids.push_back(compare);
    list.erase(list.begin() + static_cast<long>(start), list.begin() + static_cast<long>(i) + 2);
    list.insert(list.begin() + static_cast<long>(start), fold);
    i = start;
  }
}

}  // namespace

bool IsQuantifiedComparison(const Unit& u) {
  return u.group && !u.kids.empty() && u.kids[0].tok.kind == TokKind::Raw &&
         u.kids[0].tok.text.compare(0, std::strlen(kQuantifiedFold), kQuantifiedFold) == 0;
}

namespace {

void QuoteSqliteWords(List& list) {
  for (Unit& u : list)
    if (!u.group && !u.call && u.tok.kind == TokKind::Word &&
        SqliteOnlyWords().count(LowerAscii(u.tok.text)))
      u.tok.kind = TokKind::Name;
}
}  // namespace

void RewriteExpressions(List& list) {
  RewriteTokens(list);
  RewriteBinary(list, "^", "pow", NoOperator, NoOperator);      // binds tightest
  RewriteBinary(list, "/", "div", IsMulDiv, NoOperator);       // left to right with *
  RewriteBinary(list, "\\", "idiv", IsMulDiv, IsMulDiv);         // below * and /, above Mod
  RewriteBinary(list, "%", "mod", IsMulDiv, IsMulDiv);           // Mod: below \, above + and -
  RewritePlus(list);
  RewriteConcat(list);
  RewriteQuantified(list);
  QuoteSqliteWords(list);
}

}  // namespace jet::sql
