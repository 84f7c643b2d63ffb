#include "platform/jet/sql/Tokens.h"

#include <algorithm>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"

namespace jet {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Bytes of multibyte UTF-8 characters count as letters, as Jet takes any
// non-ASCII letter into a name.
bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The statement from `at` on, cut after a few words (and never inside a UTF-8
// character): the stretch a syntax error is reported near.
std::string Stretch(const std::string& sql, size_t at) {
  size_t end = std::min(sql.size(), at + 24);
  while (end < sql.size() && (static_cast<unsigned char>(sql[end]) & 0xC0) == 0x80) ++end;
  return sql.substr(at, end - at) + (end < sql.size() ? "..." : "");
}

[[noreturn]] void Syntax(const std::string& sql, size_t at) {
  throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(Stretch(sql, at)));
}

}  // namespace

std::string LowerAscii(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::vector<Token> TokenizeJetSql(const std::string& sql) {
  std::vector<Token> toks;
  size_t i = 0, n = sql.size();
  while (i < n) {
    char c = sql[i];
    if (IsBlank(c)) { ++i; continue; }
    if (c == '\'' || c == '"') {
      std::string text;
      size_t j = i + 1;
      for (;;) {
        if (j >= n) Syntax(sql, i);
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) { text += c; j += 2; continue; }
          break;
        }
        text += sql[j++];
      }
      toks.push_back({TokKind::String, std::move(text)});
      i = j + 1;
      continue;
    }
    if (c == '[') {
      size_t j = sql.find(']', i + 1);
      if (j == std::string::npos) Syntax(sql, i);
      std::string name = sql.substr(i + 1, j - i - 1);
      if (name.empty()) Syntax(sql, i);
      toks.push_back({TokKind::Name, std::move(name)});
      i = j + 1;
      continue;
    }
    if (c == '#') {
      size_t j = sql.find('#', i + 1);
      if (j == std::string::npos) Syntax(sql, i);
      toks.push_back({TokKind::Date, sql.substr(i + 1, j - i - 1)});
      i = j + 1;
      continue;
    }
    if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(sql[i + 1]))) {
      size_t j = i;
      while (j < n && IsDigit(sql[j])) ++j;
      if (j < n && sql[j] == '.') { ++j; while (j < n && IsDigit(sql[j])) ++j; }
      if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
        size_t k = j + 1;
        if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
        if (k < n && IsDigit(sql[k])) { j = k; while (j < n && IsDigit(sql[j])) ++j; }
      }
      // A number running straight into letters ("4abc") is no token Jet knows.
      if (j < n && IsWordChar(sql[j])) Syntax(sql, i);
      toks.push_back({TokKind::Number, sql.substr(i, j - i)});
      i = j;
      continue;
    }
    if (IsWordChar(c)) {
      size_t j = i;
      while (j < n && IsWordChar(sql[j])) ++j;
      if (j < n && sql[j] == '$') ++j;  // Left$, Mid$, Format$ ...
      toks.push_back({TokKind::Word, sql.substr(i, j - i)});
      i = j;
      continue;
    }
    if (c == '(') { toks.push_back({TokKind::Open, "("}); ++i; continue; }
    if (c == ')') { toks.push_back({TokKind::Close, ")"}); ++i; continue; }
    if (i + 1 < n) {
      std::string two = sql.substr(i, 2);
      if (two == "<=" || two == ">=" || two == "<>" || two == "!=") {
        toks.push_back({TokKind::Op, two});
        i += 2;
        continue;
      }
    }
    toks.push_back({TokKind::Op, std::string(1, c)});
    ++i;
  }
  return toks;
}

}  // namespace jet
