#include "platform/jet/sql/Tree.h"

#include <set>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/vba/Functions.h"

namespace jet::sql {

namespace {

// Words of Jet's grammar: never a name, never an operand of & or a function.
const std::set<std::string>& JetKeywords() {
  static const std::set<std::string> k = {
      "select", "from", "where", "group", "by", "having", "order", "and", "or", "not",
      "between", "like", "in", "is", "as", "on", "join", "inner", "left", "right",
      "outer", "full", "cross", "union", "all", "distinct", "distinctrow", "top",
      "percent", "asc", "desc", "into", "values", "set", "exists", "xor", "eqv", "imp",
      "null", "any", "some", "insert", "update", "delete", "create", "drop", "alter",
      "transform", "parameters", "pivot", "with", "owneraccess"};
  return k;
}

}  // namespace

void Syntax() { throw _com_error(JET_E_SYNTAX); }

namespace {

// A unit as the statement spelled it, near enough: names bracketed, literals quoted,
// groups in parentheses.
void SpellUnit(const Unit& u, std::string* out) {
  if (u.group) {
    *out += '(';
    for (size_t i = 0; i < u.kids.size() && out->size() < 40; ++i) {
      if (i > 0) *out += ' ';
      SpellUnit(u.kids[i], out);
    }
    *out += ')';
    return;
  }
  switch (u.tok.kind) {
    case TokKind::Name: *out += '[' + u.tok.text + ']'; break;
    case TokKind::String: *out += '\'' + u.tok.text + '\''; break;
    case TokKind::Date: *out += '#' + u.tok.text + '#'; break;
    default: *out += u.tok.text;
  }
}

}  // namespace

void Syntax(const List& list, size_t at) {
  if (list.empty()) Syntax();
  if (at >= list.size()) at = list.size() - 1;
  std::string near;
  for (size_t i = at; i < list.size() && i < at + 3; ++i) {
    if (i > at) near += ' ';
    SpellUnit(list[i], &near);
  }
  throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(near));
}

bool IsWord(const Unit& u, const char* word) {
  return !u.group && u.tok.kind == TokKind::Word && LowerAscii(u.tok.text) == word;
}
bool IsOp(const Unit& u, const char* op) {
  return !u.group && u.tok.kind == TokKind::Op && u.tok.text == op;
}
bool IsKeyword(const Unit& u) {
  return !u.group && u.tok.kind == TokKind::Word && JetKeywords().count(LowerAscii(u.tok.text));
}
bool IsName(const Unit& u) {
  return !u.group && (u.tok.kind == TokKind::Name || (u.tok.kind == TokKind::Word && !IsKeyword(u)));
}
// What can stand last in an operand: a literal, a name, NULL, a closing group.
bool IsOperandEnd(const Unit& u) {
  if (u.group) return true;
  switch (u.tok.kind) {
    case TokKind::String: case TokKind::Number: case TokKind::Raw: case TokKind::Name: case TokKind::Date:
      return true;
    case TokKind::Word:
      return !IsKeyword(u) || IsWord(u, "null");
    default:
      return false;
  }
}
// Operators that bind tighter than &.
bool IsTighterOp(const Unit& u) {
  if (u.group || u.tok.kind != TokKind::Op) return false;
  const std::string& t = u.tok.text;
  return t == "+" || t == "-" || t == "*" || t == "/" || t == "%";
}

bool IsComparison(const Unit& u) {
  if (u.group || u.tok.kind != TokKind::Op) return false;
  const std::string& t = u.tok.text;
  return t == "=" || t == "<>" || t == "!=" || t == "<" || t == ">" || t == "<=" || t == ">=";
}

Unit Raw(const std::string& text) { return Unit{{TokKind::Raw, text}, {}, false, false}; }
bool IsCompoundWord(const Unit& u) {
  return IsWord(u, "union") || IsWord(u, "except") || IsWord(u, "intersect");
}

void Emit(const List& list, std::string* out) {
  for (size_t i = 0; i < list.size(); ++i) {
    const Unit& u = list[i];
    bool tight = out->empty() || out->back() == '(' || out->back() == '.' || IsOp(u, ",") || IsOp(u, ".") ||
                 (u.group && i > 0 && list[i - 1].call);
    if (!tight) *out += ' ';
    if (u.group) {
      *out += '(';
      Emit(u.kids, out);
      *out += ')';
      // A function result compares as text without regard to case, as Jet's do.
      if (i > 0 && list[i - 1].call) *out += std::string(" COLLATE ") + kTextCollation;
      continue;
    }
    switch (u.tok.kind) {
      case TokKind::String: {
        *out += '\'';
        for (char c : u.tok.text) {
          if (c == '\'') *out += '\'';
          *out += c;
        }
        *out += '\'';
        *out += std::string(" COLLATE ") + kTextCollation;
        break;
      }
      case TokKind::Name: {
        *out += '"';
        for (char c : u.tok.text) {
          if (c == '"') *out += '"';
          *out += c;
        }
        *out += '"';
        break;
      }
      default:
        *out += u.tok.text;
    }
  }
}
std::string EmitRange(const List& list, size_t a, size_t b) {
  List part(list.begin() + static_cast<long>(a), list.begin() + static_cast<long>(b));
  std::string out;
  Emit(part, &out);
  return out;
}

}  // namespace jet::sql
