#include "platform/jet/sql/PrepareError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "platform/com/Causes.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

namespace {

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
bool NameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool NameChar(unsigned char c) { return NameStart(c) || std::isdigit(c) || c == '$'; }

// One token of SQLite's SQL, cut as SQLite's tokenizer cuts the printer's output.
struct SqlToken {
  std::string text;  // as written
  bool isName = false;
  std::string name;  // a name's value: a quoted one without its quotes
  bool isNumber = false;
  size_t end = 0;
};

SqlToken TokenAt(const std::string& sql, size_t at) {
  SqlToken t;
  size_t i = at;
  const unsigned char c = static_cast<unsigned char>(sql[i]);
  if (c == '"' || c == '`' || c == '[' || c == '\'') {
    const char close = c == '[' ? ']' : static_cast<char>(c);
    for (++i; i < sql.size(); ++i) {
      if (sql[i] != close) {
        t.name += sql[i];
      } else if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
        t.name += close;  // doubled: one of it
        ++i;
      } else {
        ++i;
        break;
      }
    }
    t.isName = c != '\'';
  } else if (NameStart(c)) {
    while (i < sql.size() && NameChar(static_cast<unsigned char>(sql[i]))) ++i;
    t.name = sql.substr(at, i - at);
    t.isName = !sqlite3_keyword_check(t.name.data(), static_cast<int>(t.name.size()));
  } else if (std::isdigit(c) || (c == '.' && i + 1 < sql.size() && std::isdigit(Byte(sql[i + 1])))) {
    while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '.')) ++i;
    t.isNumber = true;
  } else {
    static const char* const kPairs[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>", "->"};
    const bool pair = std::any_of(std::begin(kPairs), std::end(kPairs),
                                  [&](const char* p) { return sql.compare(i, 2, p) == 0; });
    i += pair ? 2 : 1;
  }
  if (!t.isName) t.name.clear();
  t.text = sql.substr(at, i - at);
  t.end = i;
  return t;
}

size_t SkipBlanks(const std::string& sql, size_t i) {
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  return i;
}

}  // namespace

_com_error PrepareError(sqlite3* db, const std::string& sql, const StatementShape& shape) {
  if ((sqlite3_extended_errcode(db) & 0xFF) == SQLITE_NOMEM) return _com_error(E_OUTOFMEMORY);
  const int offset = sqlite3_error_offset(db);
  if (offset < 0 || static_cast<size_t>(offset) >= sql.size()) {
    // No place in the text: a join condition names a column no source has, or a
    // whole select is wrong (the selects of a UNION differ in their columns, a
    // GROUP BY position is out of range).
    if (!shape.missingInJoins.empty()) return _com_error(JET_E_NOCOLUMN, NoSuchColumnCause(shape.missingInJoins[0]));
    return _com_error(JET_E_SYNTAX);
  }
  SqlToken t = TokenAt(sql, static_cast<size_t>(offset));
  if (t.isNumber) return _com_error(JET_E_SYNTAX);  // an ORDER BY position out of range
  if (!t.isName) return _com_error(JET_E_SYNTAX, SyntaxErrorCause(t.text));
  // A name: the column reference (or call) that starts there, "q.name" whole.
  std::string name = t.name;
  size_t i = SkipBlanks(sql, t.end);
  while (i < sql.size() && sql[i] == '.') {
    i = SkipBlanks(sql, i + 1);
    if (i >= sql.size()) break;
    const SqlToken part = TokenAt(sql, i);
    if (!part.isName) break;
    name += "." + part.name;
    i = SkipBlanks(sql, part.end);
  }
  if (i < sql.size() && sql[i] == '(') {
    // A function SQLite has, called wrongly (its arguments, an aggregate where
    // none may stand), or one it does not have.
    if (IsStatementFunction(name.c_str())) return _com_error(JET_E_SYNTAX);
    return _com_error(JET_E_NOCOLUMN, NoSuchColumnCause(name));
  }
  const std::string key = LowerAscii(name);
  if (std::find(shape.ambiguous.begin(), shape.ambiguous.end(), key) != shape.ambiguous.end())
    return _com_error(JET_E_SYNTAX);
  return _com_error(JET_E_NOCOLUMN, NoSuchColumnCause(name));
}

}  // namespace jet
