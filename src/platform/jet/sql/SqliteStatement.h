// A prepared SQLite statement, owned by the one object that finalises it: on
// every path, a throw included, no statement outlives its owner. Every statement
// the program prepares (the provider's, its cursors', the whole-database
// writers') is made here.
#pragma once
#include <sqlite3.h>

#include <string>
#include <utility>

namespace jet {

class SqliteStatement {
 public:
  SqliteStatement() = default;
  explicit SqliteStatement(sqlite3_stmt* stmt) : m_stmt(stmt) {}
  ~SqliteStatement() { sqlite3_finalize(m_stmt); }  // nothing for null
  SqliteStatement(SqliteStatement&& other) noexcept : m_stmt(std::exchange(other.m_stmt, nullptr)) {}
  SqliteStatement& operator=(SqliteStatement&& other) noexcept {
    std::swap(m_stmt, other.m_stmt);
    return *this;
  }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Prepares the first statement of `sql` on `db`; *rc gets SQLite's result code.
  // Null when it failed (the connection's error says why) or `sql` holds only
  // blanks and comments.
  static SqliteStatement Prepare(sqlite3* db, const std::string& sql, int* rc) {
    sqlite3_stmt* stmt = nullptr;
    *rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    return SqliteStatement(stmt);
  }

  sqlite3_stmt* get() const { return m_stmt; }
  explicit operator bool() const { return m_stmt != nullptr; }

 private:
  sqlite3_stmt* m_stmt = nullptr;
};

}  // namespace jet
