#include "migrate/SqliteViews.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include "export/TableStatement.h"
#include "migrate/SqlNames.h"
#include "migrate/SqliteValues.h"
#include "platform/com/Causes.h"
#include "platform/com/Translate.h"
#include "platform/jet/sql/SqliteStatement.h"
#include "platform/jet/sql/Translate.h"

namespace migrate {

namespace {

using Statement = jet::SqliteStatement;

// Null when SQLite refuses the statement; *why then gets its words.
Statement Prepare(sqlite3* db, const std::string& sql, std::string* why) {
  int rc;
  Statement s = Statement::Prepare(db, sql, &rc);
  if (rc != SQLITE_OK && why) *why = sqlite3_errmsg(db);
  return s;
}

// A row's values as one comparable text: numbers as doubles, so that 18 and 18.0
// are one value.
std::string RowText(sqlite3_stmt* s) {
  std::string out;
  for (int i = 0; i < sqlite3_column_count(s); ++i) {
    char buf[40];
    switch (sqlite3_column_type(s, i)) {
      case SQLITE_NULL: out += "N"; break;
      case SQLITE_INTEGER: case SQLITE_FLOAT:
        std::snprintf(buf, sizeof buf, "F%.17g", sqlite3_column_double(s, i));
        out += buf;
        break;
      default:
        out += sqlite3_column_type(s, i) == SQLITE_BLOB ? "B" : "T";
        out.append(static_cast<const char*>(sqlite3_column_blob(s, i)), static_cast<size_t>(sqlite3_column_bytes(s, i)));
    }
    out += '\x1f';
  }
  return out;
}

// The query's rows as Kelvane gives them, in SQLite's forms.
std::vector<std::string> KelvaneRows(sqlite3* db, const _ConnectionPtr& connection, const std::string& query) {
  _RecordsetPtr r;
  _com_issue_errorex(r.CreateInstance("ADODB.Recordset"));
  r->Open(TableStatement("*", query), connection, ADODB::adOpenForwardOnly, ADODB::adLockReadOnly, ADODB::adCmdText);
  FieldsPtr fields = r->GetFields();
  const long n = fields->GetCount();
  std::string select = "SELECT ";
  for (long i = 0; i < n; ++i) select += (i ? ",?" : "?");
  Statement echo = Prepare(db, select, nullptr);
  std::vector<const VARIANT*> values(static_cast<size_t>(n));
  std::vector<std::string> scratch(static_cast<size_t>(n));
  std::vector<std::string> rows;
  while (!r->GetadoEOF()) {
    fields->PeekValues(values.data());
    for (long i = 0; i < n; ++i) BindValue(echo.get(), static_cast<int>(i + 1), *values[i], &scratch[i]);
    sqlite3_step(echo.get());
    rows.push_back(RowText(echo.get()));
    sqlite3_reset(echo.get());
    r->MoveNext();
  }
  r->Close();
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> ViewRows(sqlite3_stmt* s) {
  std::vector<std::string> rows;
  while (sqlite3_step(s) == SQLITE_ROW) rows.push_back(RowText(s));
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The columns of the output's tables and of the saved queries, with their Access
// types, for typing a query as the engine types it.
class Columns {
 public:
  explicit Columns(const DatabaseSchema& schema) : m_schema(schema) {
    m_lookup = [this](const std::string& name, std::vector<jet::TypedColumn>* columns, std::string*) {
      return Find(name, columns);
    };
  }
  const jet::ColumnLookup* Lookup() const { return &m_lookup; }

 private:
  jet::SourceFound Find(const std::string& name, std::vector<jet::TypedColumn>* columns) {
    for (const Table& t : m_schema.tables) {
      if (!SameName(t.name, name)) continue;
      columns->clear();
      for (const Column& c : t.columns) columns->push_back(jet::TypedColumn{c.name, c.type, ""});
      return jet::SourceFound::Columns;
    }
    for (const auto& [query, sql] : m_schema.queries) {
      // A query over itself, at any depth, has no columns to give.
      if (!sql || !SameName(query, name) || m_depth > 16) continue;
      jet::StatementShape shape;
      ++m_depth;
      try {
        jet::TranslateJetSql(*sql, &shape, &m_lookup);
      } catch (const _com_error&) {
        shape.types.whole = false;
      }
      --m_depth;
      if (!shape.types.whole) return jet::SourceFound::NoColumns;
      *columns = shape.types.first;
      return jet::SourceFound::Columns;
    }
    return jet::SourceFound::Missing;
  }

  const DatabaseSchema& m_schema;
  jet::ColumnLookup m_lookup;
  int m_depth = 0;
};

// Why SQLite refused a view's statement: a saved query it reads that is no view
// is named as such.
std::string PrepareReason(const DatabaseSchema& schema, const std::string& error) {
  static const std::string kNoTable = "no such table: ";
  if (error.compare(0, kNoTable.size(), kNoTable) == 0) {
    std::string name = error.substr(kNoTable.size());
    if (name.compare(0, 5, "main.") == 0) name.erase(0, 5);
    for (const auto& q : schema.queries)
      if (SameName(q.first, name)) {
        std::string line = Translate("它读取的查询“%s”未写成视图");
        return line.replace(line.find("%s"), 2, q.first);
      }
  }
  return "SQLite: " + error;
}

}  // namespace

void WriteViews(sqlite3* db, const _ConnectionPtr& connection, const DatabaseSchema& schema,
                const WriteEvents& events) {
  // A double-quoted word is a name in SQLite's own SQL, never a string: a query
  // that relies on SQLite's fallback would mean something else in another tool.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  std::vector<std::pair<std::string, std::string>> refused;  // name, reason
  std::vector<std::pair<std::string, std::string>> pending;  // name, SQL
  Columns columns(schema);
  for (const auto& [name, sql] : schema.queries) {
    if (!sql) {
      refused.emplace_back(name, Translate("无法重建其 SQL 语句"));
      continue;
    }
    // The engine's translation, printed with SQLite's own functions only.
    std::string why, portable;
    try {
      portable = jet::TranslatePortable(*sql, columns.Lookup(), &why);
    } catch (const _com_error& e) {
      why = FailureDescription(e);
    }
    if (portable.empty()) {
      std::string line = Translate("无法用 SQLite 自己的 SQL 写出：%s");
      refused.emplace_back(name, line.replace(line.find("%s"), 2, why));
    } else {
      pending.emplace_back(name, portable);
    }
  }
  // A query over another query prepares once that one is a view: rounds until
  // none more can be made.
  std::vector<std::pair<std::string, std::string>> reasons(pending.size());
  for (bool progress = true; progress && !pending.empty();) {
    progress = false;
    for (size_t i = 0; i < pending.size();) {
      const auto& [name, sql] = pending[i];
      std::string why;
      Statement s = Prepare(db, sql, &why);
      if (!s) {
        reasons[i] = {name, PrepareReason(schema, why)};
        ++i;
        continue;
      }
      std::vector<std::string> expected;
      try {
        expected = KelvaneRows(db, connection, name);
      } catch (const _com_error&) {
        reasons[i] = {name, Translate("Kelvane 无法运行该查询")};
        ++i;
        continue;
      }
      if (ViewRows(s.get()) != expected) {
        refused.emplace_back(name, Translate("在 SQLite 中得到的记录与 Access 的不同（文本比较、通配符或函数的差别）"));
      } else {
        s = Statement();  // finalised before the view is made
        const std::string create = "CREATE VIEW " + Quoted(name) + " AS " + sql;
        if (sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
          refused.emplace_back(name, std::string("SQLite: ") + sqlite3_errmsg(db));
      }
      pending.erase(pending.begin() + static_cast<long>(i));
      reasons.erase(reasons.begin() + static_cast<long>(i));
      progress = true;
    }
  }
  refused.insert(refused.end(), reasons.begin(), reasons.end());
  if (refused.empty()) return;
  std::sort(refused.begin(), refused.end());
  std::string sql = "CREATE TABLE kelvane_queries_not_views (name TEXT PRIMARY KEY, reason TEXT, jet_sql TEXT);";
  for (const auto& [name, reason] : refused) {
    std::string saved;
    for (const auto& q : schema.queries)
      if (q.first == name && q.second) saved = *q.second;
    sql += "INSERT INTO kelvane_queries_not_views VALUES (" + Literal(name) + ", " + Literal(reason) + ", " +
           (saved.empty() ? std::string("NULL") : Literal(saved)) + ");";
    if (events.onNotice) {
      std::string line = Translate("查询“%s”未写成视图：%s");
      line.replace(line.find("%s"), 2, name);
      line.replace(line.find("%s"), 2, reason);
      events.onNotice(line);
    }
  }
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw _com_error(E_FAIL, std::string("SQLite: ") + sqlite3_errmsg(db));
}

}  // namespace migrate
