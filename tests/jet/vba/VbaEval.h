// Evaluates one VBA expression on a SQLite connection with the VBA library
// registered, as the translator would send it: every Name( becomes the
// registered vba_name(. The result as text: "NULL", the number, the text, or
// "!message" for a run-time error.
#pragma once
#include <sqlite3.h>

#include <cctype>
#include <string>

#include "platform/com/RealText.h"
#include "platform/jet/vba/Functions.h"

class VbaEval {
 public:
  VbaEval() {
    sqlite3_open(":memory:", &m_db);
    jet::RegisterVbaFunctions(m_db);
  }
  ~VbaEval() { sqlite3_close(m_db); }

  std::string operator()(const std::string& expr) {
    std::string sql = "select " + Rewrite(expr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      return "!prepare: " + std::string(sqlite3_errmsg(m_db));
    std::string out;
    if (sqlite3_step(stmt) != SQLITE_ROW) {
      out = "!" + std::string(sqlite3_errmsg(m_db));
    } else {
      switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL: out = "NULL"; break;
        case SQLITE_INTEGER: out = std::to_string(sqlite3_column_int64(stmt, 0)); break;
        case SQLITE_FLOAT: out = DoubleText(sqlite3_column_double(stmt, 0)); break;
        default: out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      }
    }
    sqlite3_finalize(stmt);
    return out;
  }

 private:
  static std::string Rewrite(const std::string& e) {
    std::string out;
    for (size_t i = 0; i < e.size();) {
      if (e[i] == '\'') {  // a text literal, '' inside
        size_t j = i + 1;
        while (j < e.size() && !(e[j] == '\'' && (j + 1 >= e.size() || e[j + 1] != '\''))) j += e[j] == '\'' ? 2 : 1;
        out += e.substr(i, j + 1 - i);
        i = j + 1;
      } else if (std::isalpha(static_cast<unsigned char>(e[i]))) {
        size_t j = i;
        while (j < e.size() && (std::isalnum(static_cast<unsigned char>(e[j])) || e[j] == '$')) ++j;
        std::string word = e.substr(i, j - i), sql = jet::VbaFunctionSqlName(word);
        out += j < e.size() && e[j] == '(' ? (sql.empty() ? "unknown_" + word : sql) : word;
        i = j;
      } else {
        out += e[i++];
      }
    }
    return out;
  }
  sqlite3* m_db = nullptr;
};
