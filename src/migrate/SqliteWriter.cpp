#include "migrate/SqliteWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <set>
#include "export/TargetFile.h"
#include "migrate/ChildTables.h"
#include "migrate/SqlNames.h"
#include "migrate/SqliteValues.h"
#include "migrate/SqliteViews.h"
#include "migrate/ValueForms.h"
#include "platform/com/Errno.h"
#include "platform/jet/sql/SqliteStatement.h"

namespace migrate {

namespace {

char g_temporary[PATH_MAX];  // the file a signal must not leave behind

class Output {
 public:
  explicit Output(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) Fail();
    // The file is ours alone until the rename: no journal to keep it safe from
    // a crash, which leaves only a temporary file behind.
    Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE;"
         "PRAGMA foreign_keys = OFF; PRAGMA cache_size = -16384; BEGIN");
  }
  ~Output() {
    m_statements.clear();
    sqlite3_close_v2(m_db);
  }
  void Exec(const std::string& sql) {
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
  }
  // The statement stays prepared until Close.
  sqlite3_stmt* Prepare(const std::string& sql) {
    int rc;
    jet::SqliteStatement stmt = jet::SqliteStatement::Prepare(m_db, sql, &rc);
    if (rc != SQLITE_OK) Fail(sql);
    m_statements.emplace_back(sql, std::move(stmt));
    return m_statements.back().second.get();
  }
  // Whether a statement could run here as written: prepared, then dropped.
  bool Prepares(const std::string& sql, std::string* why) {
    int rc;
    jet::SqliteStatement::Prepare(m_db, sql, &rc);
    if (rc != SQLITE_OK) *why = sqlite3_errmsg(m_db);
    return rc == SQLITE_OK;
  }
  void Step(sqlite3_stmt* stmt) {
    if (sqlite3_step(stmt) != SQLITE_DONE) Fail();
    sqlite3_reset(stmt);
  }
  [[noreturn]] void Fail(const std::string& sql = std::string()) {
    const int code = sqlite3_extended_errcode(m_db);
    if (code == SQLITE_FULL) throw TargetFileError(HResultFromErrno(ENOSPC), false);
    if ((code & 0xFF) == SQLITE_IOERR) throw TargetFileError(HResultFromErrno(errno ? errno : EIO), false);
    std::string text = std::string("SQLite: ") + sqlite3_errmsg(m_db);
    if (!sql.empty()) text += " (" + sql.substr(0, 200) + ")";
    throw _com_error(E_FAIL, text);
  }
  sqlite3* Handle() const { return m_db; }
  void Close() {
    Exec("COMMIT");
    m_statements.clear();
    if (sqlite3_close(m_db) != SQLITE_OK) Fail();
    m_db = nullptr;
  }

 private:
  sqlite3* m_db = nullptr;
  std::vector<std::pair<std::string, jet::SqliteStatement>> m_statements;
};

std::string CreateTable(const Table& t, const std::vector<const Relationship*>& keys) {
  const Index* pk = t.PrimaryKey();
  // A Long AutoNumber that is the whole primary key becomes SQLite's own counter.
  const bool rowidKey = pk && pk->columns.size() == 1 && t.Find(pk->columns[0].first) &&
                        t.Find(pk->columns[0].first)->autoNumber && t.Find(pk->columns[0].first)->type == kLong;
  std::string sql = "CREATE TABLE " + Quoted(t.name) + " (";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const Column& c = t.columns[i];
    sql += (i ? ",\n  " : "\n  ") + Quoted(c.name) + " ";
    if (rowidKey && c.name == pk->columns[0].first) {
      sql += "INTEGER PRIMARY KEY AUTOINCREMENT";
      continue;
    }
    sql += SqliteType(c);
    if (c.required) sql += " NOT NULL";
    if (auto d = LiteralDefault(c)) sql += " DEFAULT " + (c.type == kBoolean ? std::string(*d == "TRUE" ? "1" : "0") : *d);
  }
  if (pk && !rowidKey) {
    sql += ",\n  PRIMARY KEY (";
    for (size_t i = 0; i < pk->columns.size(); ++i) sql += (i ? ", " : "") + Quoted(pk->columns[i].first);
    sql += ")";
  }
  for (const Relationship* r : keys) {
    if (r->table != t.name) continue;
    sql += ",\n  CONSTRAINT " + Quoted(r->name) + " FOREIGN KEY (";
    for (size_t i = 0; i < r->columns.size(); ++i) sql += (i ? ", " : "") + Quoted(r->columns[i]);
    sql += ") REFERENCES " + Quoted(r->referencedTable) + " (";
    for (size_t i = 0; i < r->referencedColumns.size(); ++i) sql += (i ? ", " : "") + Quoted(r->referencedColumns[i]);
    sql += ") ON UPDATE " + Rule(r->updateRule) + " ON DELETE " + Rule(r->deleteRule);
  }
  return sql + "\n)";
}

// Index names are the database's in SQLite, the table's in Access: each is made
// unique as "table.index".
std::string CreateIndex(const Table& t, const Index& ix) {
  std::string sql = std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + Quoted(t.name + "." + ix.name) +
                    " ON " + Quoted(t.name) + " (";
  for (size_t i = 0; i < ix.columns.size(); ++i)
    sql += (i ? ", " : "") + Quoted(ix.columns[i].first) + (ix.columns[i].second ? " DESC" : "");
  return sql + ")";
}

std::string Directory(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void InsertRows(Output& out, const Table& t, const WriteEvents& events,
                const std::function<void(const std::function<void(const VARIANT* const*)>&)>& each) {
  std::string sql = "INSERT INTO " + Quoted(t.name) + " VALUES (";
  for (size_t i = 0; i < t.columns.size(); ++i) sql += i ? ",?" : "?";
  sqlite3_stmt* insert = out.Prepare(sql + ")");
  long rows = 0;
  std::vector<std::string> scratches(t.columns.size());
  each([&](const VARIANT* const* values) {
    for (size_t i = 0; i < t.columns.size(); ++i) {
      std::string& scratch = scratches[i];
      if (t.columns[i].type == kDateTimeExtended && IsoExtendedDate(*values[i], &scratch))
        sqlite3_bind_text(insert, static_cast<int>(i + 1), scratch.data(), static_cast<int>(scratch.size()), SQLITE_STATIC);
      else
        BindValue(insert, static_cast<int>(i + 1), *values[i], &scratch);
    }
    out.Step(insert);
    if (++rows % 512 == 0 && events.onRows) events.onRows(t.name, rows);
  });
}

void WriteTables(Output& out, const _ConnectionPtr& connection, const DatabaseSchema& schema,
                 const WriteEvents& events) {
  std::vector<const Relationship*> keys = ForeignKeys(schema, events);
  const std::vector<ChildTable> children = ChildTables(schema);
  for (const ChildTable& c : children)
    if (!c.link.table.empty()) keys.push_back(&c.link);
  for (const Table& t : schema.tables) out.Exec(CreateTable(t, keys));
  for (const ChildTable& c : children) out.Exec(CreateTable(c.table, keys));
  for (const Table& t : schema.tables)
    InsertRows(out, t, events, [&](const auto& onRow) { EachRow(connection, t, onRow); });
  for (const ChildTable& c : children)
    InsertRows(out, c.table, events, [&](const auto& onRow) { EachChildRow(connection, c, onRow); });
  for (const Table& t : schema.tables)
    for (const Index* ix : TargetIndexes(t)) out.Exec(CreateIndex(t, *ix));
  WriteViews(out.Handle(), connection, schema, events);
}

}  // namespace

void RemoveTemporaryForSignal() {
  if (g_temporary[0]) unlink(g_temporary);
}

void WriteSqliteDatabase(const _ConnectionPtr& connection, const DatabaseSchema& schema, const std::string& target,
                         const WriteEvents& events) {
  std::string base = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
  std::string temp = Directory(target) + "/." + base + ".XXXXXX";
  if (temp.size() >= sizeof g_temporary) throw TargetFileError(HResultFromErrno(ENAMETOOLONG), true);
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw TargetFileError(HResultFromErrno(errno), true);
  std::strcpy(g_temporary, temp.c_str());
  try {
    {
      Output out(temp);
      WriteTables(out, connection, schema, events);
      out.Close();
    }
    // The data on the disk before the name points at it; the mode a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0 || fsync(fd) != 0) throw TargetFileError(HResultFromErrno(errno), false);
    if (rename(temp.c_str(), target.c_str()) != 0) throw TargetFileError(HResultFromErrno(errno), false);
    g_temporary[0] = 0;
    close(fd);
  } catch (...) {
    close(fd);
    unlink(temp.c_str());
    g_temporary[0] = 0;
    throw;
  }
}

}  // namespace migrate
