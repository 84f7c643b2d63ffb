#include "platform/jet/Parameters.h"

#include "platform/com/Causes.h"
#include "platform/com/HResult.h"
#include "platform/jet/sql/Tokens.h"

namespace jet {

namespace {

bool IsWordChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A name as the user and the statement may both write it: no brackets, "!" or "."
// between the parts, ASCII case ignored.
std::string NameKey(const std::string& name) {
  std::string key;
  for (char c : name) {
    if (c == '[' || c == ']') continue;
    key += c == '.' ? '!' : c;
  }
  return LowerAscii(key);
}

const std::string* ValueOf(const ParameterValues& values, const std::string& name) {
  const std::string key = NameKey(name);
  for (const auto& [n, v] : values)
    if (NameKey(n) == key) return &v;
  return nullptr;
}

// The end of the literal, bracketed name or word that starts at i.
size_t SkipToken(const std::string& sql, size_t i) {
  const char c = sql[i];
  if (c == '\'' || c == '"' || c == '#') {
    size_t j = i + 1;
    while (j < sql.size()) {
      if (sql[j] == c) {
        if (c != '#' && j + 1 < sql.size() && sql[j + 1] == c) { j += 2; continue; }
        return j + 1;
      }
      ++j;
    }
    return sql.size();
  }
  if (c == '[') {
    const size_t j = sql.find(']', i);
    return j == std::string::npos ? sql.size() : j + 1;
  }
  size_t j = i;
  while (j < sql.size() && IsWordChar(sql[j])) ++j;
  return j == i ? i + 1 : j;
}

// A chain of names joined by ! or . ([Forms]![Orders]![OrderID]) from i.
size_t ChainEnd(const std::string& sql, size_t i) {
  size_t j = SkipToken(sql, i);
  while (j + 1 < sql.size() && (sql[j] == '!' || sql[j] == '.') && (sql[j + 1] == '[' || IsWordChar(sql[j + 1])))
    j = SkipToken(sql, j + 1);
  return j;
}

// "PARAMETERS a Text, [b c] DateTime;" at the start: its names, and where the
// statement proper begins (0 when there is no such clause).
size_t DeclaredParameters(const std::string& sql, std::vector<std::string>* names) {
  size_t i = sql.find_first_not_of(" \t\r\n");
  if (i == std::string::npos || LowerAscii(sql.substr(i, 10)) != "parameters" ||
      (i + 10 < sql.size() && IsWordChar(sql[i + 10])))
    return 0;
  i += 10;
  bool expectName = true;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == ';') return i + 1;
    if (c == ',') { expectName = true; ++i; continue; }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') { ++i; continue; }
    const size_t end = SkipToken(sql, i);
    if (expectName) names->push_back(sql.substr(i, end - i));
    expectName = false;
    i = end;
  }
  return 0;  // no ";": not a clause this can take apart; the engine says what is wrong
}

}  // namespace

std::vector<std::string> BracketedNames(const std::string& jetSql) {
  std::vector<std::string> names;
  for (size_t i = 0; i < jetSql.size();) {
    const char c = jetSql[i];
    if (c != '[') {
      i = c == '\'' || c == '"' || c == '#' ? SkipToken(jetSql, i) : i + 1;
      continue;
    }
    const size_t end = ChainEnd(jetSql, i);
    std::string name;
    for (char k : jetSql.substr(i, end - i))
      if (k != '[' && k != ']') name += k == '.' ? '!' : k;
    names.push_back(name);
    i = end;
  }
  return names;
}

std::string BindParameters(const std::string& jetSql, const ParameterValues& values, std::string* missing) {
  missing->clear();
  std::vector<std::string> declared;
  const size_t start = DeclaredParameters(jetSql, &declared);
  for (const std::string& name : declared) {
    if (!ValueOf(values, name)) {
      *missing = name.size() > 1 && name.front() == '[' ? name.substr(1, name.size() - 2) : name;
      return jetSql;
    }
  }
  std::string out;
  for (size_t i = start; i < jetSql.size();) {
    const char c = jetSql[i];
    const bool startsName = c == '[' || (IsWordChar(c) && (i == 0 || !IsWordChar(jetSql[i - 1])));
    const bool qualified = i > 0 && (jetSql[i - 1] == '.' || jetSql[i - 1] == '!');
    if (!startsName || qualified) {
      const size_t end = c == '\'' || c == '"' || c == '#' ? SkipToken(jetSql, i) : i + 1;
      out.append(jetSql, i, end - i);
      i = end;
      continue;
    }
    const size_t end = ChainEnd(jetSql, i);
    const std::string name = jetSql.substr(i, end - i);
    // A bare word is a parameter only where it was declared: else it is a column.
    bool bracketed = c == '[';
    bool isDeclared = false;
    for (const std::string& d : declared) isDeclared = isDeclared || NameKey(d) == NameKey(name);
    const std::string* value = (bracketed || isDeclared) ? ValueOf(values, name) : nullptr;
    out += value ? "(" + *value + ")" : name;
    i = end;
  }
  return out;
}

_com_error AsMissingParameter(const _com_error& e, const std::string& jetSql) {
  if (e.Error() != JET_E_NOCOLUMN || e.Description().empty()) return e;
  for (const std::string& name : BracketedNames(jetSql)) {
    std::string dotted = name;
    for (char& c : dotted)
      if (c == '!') c = '.';
    if (NoSuchColumnCause(name) == e.Description() || NoSuchColumnCause(dotted) == e.Description())
      return _com_error(e.Error(), MissingParameterCause(name));
  }
  return e;
}

}  // namespace jet
