// The provider's database: one in-memory SQLite connection per open file, on which
// the file's tables appear as virtual tables the first time a statement names them.
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/com/Translate.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/KeysCursor.h"
#include "platform/jet/Parameters.h"
#include "platform/jet/Provider.h"
#include "platform/jet/sql/Crosstab.h"
#include "platform/jet/sql/Cursor.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/sql/Translate.h"
#include "platform/jet/vba/Functions.h"
#include "platform/jet/sql/VirtualTable.h"
#include "platform/com/SqlName.h"

namespace jet {

namespace {

const char* TypeText(ObjectType t) {
  switch (t) {
    case ObjectType::SystemTable: return "SYSTEM TABLE";
    case ObjectType::View: return "VIEW";
    case ObjectType::Link: return "LINK";
    default: return "TABLE";
  }
}

bool StartsWith(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

// A name as a user may mistype it: ASCII case and blanks do not count.
std::string LooseName(const std::string& name) {
  std::string out;
  for (char c : LowerAscii(name))
    if (c != ' ' && c != '_' && c != '\t') out += c;
  return out;
}

// The text after `prefix` in SQLite's message, without its schema or quotes.
std::string NamedIn(const std::string& msg, const char* prefix) {
  std::string name = msg.substr(std::strlen(prefix));
  if (StartsWith(name.c_str(), "main.")) name.erase(0, 5);
  return name;
}

// What SQLite's refusal of a statement means in Jet's codes.
HRESULT PrepareErrorCode(const char* msg) {
  if (StartsWith(msg, "no such table") || StartsWith(msg, "vtable constructor failed")) return JET_E_NOTABLE;
  if (StartsWith(msg, "no such column") || StartsWith(msg, "no such function")) return JET_E_NOCOLUMN;
  if (StartsWith(msg, "out of memory")) return E_OUTOFMEMORY;
  return JET_E_SYNTAX;  // syntax, ambiguous names, misplaced aggregates, wrong argument counts
}

class DatabaseImpl : public Database, public std::enable_shared_from_this<DatabaseImpl> {
 public:
  explicit DatabaseImpl(std::shared_ptr<MdbFile> file) : m_file(std::move(file)) {
    // SQLite's allocation statistics take a global mutex on every malloc, and a
    // scan allocates per value; nobody reads them. Only possible before SQLite
    // initializes, so once, before the first connection.
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    (void)configured;
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      sqlite3_close(m_db);
      throw _com_error(E_OUTOFMEMORY);
    }
    // "x" is a string in Jet; the translator makes it '...'. A double-quoted name
    // that names nothing must then fail, not turn into a string behind our back.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    std::string failed;
    if (!RegisterVbaFunctions(m_db, &failed)) failed = failed.empty() ? "vba" : failed;
    else if (!RegisterTranslationFunctions(m_db, &m_state)) failed = "translation functions";
    else if (!RegisterJetModule(m_db, m_file, &m_state)) failed = kModuleName;
    if (!failed.empty()) {
      const HRESULT code = sqlite3_extended_errcode(m_db) == SQLITE_NOMEM ? E_OUTOFMEMORY : E_FAIL;
      sqlite3_close(m_db);
      throw _com_error(code, EngineSetupCause(failed));
    }
    // A sort (ORDER BY over a million rows) larger than the page cache spills to
    // temporary files instead of growing in memory, whatever the library's build
    // default for temporary storage.
    // Sorted runs of 16 MB before they spill (the default 2 MB makes a million
    // rows take many more merge passes through the files); memory stays bounded.
    sqlite3_exec(m_db, "PRAGMA temp_store = FILE; PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
    sqlite3_set_authorizer(m_db, &DatabaseImpl::Authorize, this);
    m_lookup = [this](const std::string& name, std::vector<TypedColumn>* columns) { return Columns(name, columns); };
  }
  ~DatabaseImpl() override { sqlite3_close_v2(m_db); }

  void WhileStepping(std::function<void()> alive) override {
    m_alive = std::move(alive);
    // Every few thousand VM instructions: a fraction of a millisecond apart, and a
    // call that mostly finds it is not yet time to serve the window costs nothing.
    if (m_alive) sqlite3_progress_handler(m_db, 4000, &DatabaseImpl::Stepping, this);
    else sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
  }

  std::vector<SchemaTableRow> Tables() override {
    std::vector<SchemaTableRow> rows;
    for (const CatalogEntry& e : m_file->Catalog()) rows.push_back({e.name, TypeText(e.type)});
    std::stable_sort(rows.begin(), rows.end(), [](const SchemaTableRow& a, const SchemaTableRow& b) {
      if (a.tableType != b.tableType) return a.tableType < b.tableType;
      return CompareJetText(a.tableName.data(), static_cast<int>(a.tableName.size()), b.tableName.data(),
                            static_cast<int>(b.tableName.size())) < 0;
    });
    return rows;
  }

  std::vector<SchemaStatisticsRow> Statistics() override {
    std::vector<SchemaStatisticsRow> rows;
    for (const SchemaTableRow& t : Tables()) {
      if (t.tableType != "TABLE" && t.tableType != "SYSTEM TABLE") continue;
      SchemaStatisticsRow row{t.tableName, std::nullopt};
      try {
        row.rows = m_file->RecordedRowCount(t.tableName);
      } catch (const _com_error&) {
        // A damaged definition fails where the table is read, not in a count.
      }
      rows.push_back(std::move(row));
    }
    return rows;
  }

  std::vector<SchemaProcedureRow> Procedures() override {
    std::vector<SchemaProcedureRow> rows;
    for (const SavedQueryEntry& q : m_file->SavedQueries()) {
      std::string sql = m_file->SavedQuerySql(q.name);
      const std::string start = LowerAscii(sql.substr(0, 11));
      const uint32_t kind = q.flags & 0xF0;
      const char* text = kind == 0x10 ? "crosstab" : kind == 0x80 ? "union" : kind == 0 ? "select" : "action";
      if (start == "parameters " && kind != 0x10) text = "parameter";
      rows.push_back({q.name, text, std::move(sql)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SchemaProcedureRow& a, const SchemaProcedureRow& b) {
      return CompareJetText(a.name.data(), static_cast<int>(a.name.size()), b.name.data(),
                            static_cast<int>(b.name.size())) < 0;
    });
    return rows;
  }

  std::vector<TableSchema> Schemas() override {
    std::vector<TableSchema> out;
    for (const SchemaTableRow& t : Tables()) {
      if (t.tableType != "TABLE" && t.tableType != "SYSTEM TABLE") continue;
      try {
        out.push_back(m_file->Schema(t.tableName));
      } catch (const _com_error& e) {
        if (!e.Description().empty()) throw;
        std::string text = ::Translate("数据表“%s”的定义已损坏");
        text.replace(text.find("%s"), 2, t.tableName);
        throw _com_error(e.Error(), text);
      }
    }
    return out;
  }

  std::vector<RelationshipSchema> Relationships() override { return m_file->Relationships(); }
  std::vector<std::pair<std::string, std::string>> Views() override {
    std::vector<std::pair<std::string, std::string>> out;
    for (const SchemaTableRow& t : Tables())
      if (t.tableType == "VIEW") out.emplace_back(t.tableName, m_file->SavedQuerySql(t.tableName));
    return out;
  }
  std::unique_ptr<Cursor> TableKeys(const std::string& table) override { return KeysCursor(m_file, table); }
  void SetParameterValues(ParameterValues values) override {
    m_parameters = std::move(values);
    // The saved queries built so far hold the values before: built again when read.
    m_queryColumns.clear();
    m_internal = true;
    for (const std::string& view : m_views) {
      sqlite3_exec(m_db, ("DROP VIEW IF EXISTS temp." + QuotedSqlName(view)).c_str(), nullptr, nullptr, nullptr);
      m_known.erase(LowerAscii(view));
    }
    m_internal = false;
    m_views.clear();
  }

  std::unique_ptr<Cursor> Execute(const std::string& jetSql) override {
    StatementShape shape;
    std::string sql = Translate(jetSql, &shape);
    sqlite3_stmt* stmt = nullptr;
    try {
      stmt = Prepare(sql);
    } catch (const _com_error&) {
      if (!shape.tieKeys) throw;
      // An ORDER BY key that cannot stand in the select list (an alias): TOP
      // without its ties, rather than no result.
      shape.tieKeys = 0;
      stmt = Prepare(shape.limitSql);
    }
    if (sqlite3_bind_parameter_count(stmt) > 0) {
      // "No value given for one or more required parameters": the first is named.
      const char* name = sqlite3_bind_parameter_name(stmt, 1);
      const std::string parameter = name && *name ? name + 1 : "?";
      sqlite3_finalize(stmt);
      throw _com_error(JET_E_NOCOLUMN, MissingParameterCause(parameter));
    }
    if (!sqlite3_stmt_readonly(stmt)) {
      sqlite3_finalize(stmt);
      throw _com_error(E_FAIL, OnlySelectCause());
    }
    m_state.pending.reset();
    if (shape.plain) {
      std::unique_ptr<Cursor> direct = DirectCursorFor(stmt, shape);
      if (direct) return direct;
    }
    return MakeSqlCursor(shared_from_this(), stmt, &m_state, shape.tieKeys, shape.tieKeys ? shape.limit : -1,
                         &shape.types);
  }

 private:
  // The columns of a table, or of a saved query as its translation types them,
  // for typing the expressions of a statement over them. A saved query's are
  // worked out once (a crosstab's headings are read from the data).
  bool Columns(const std::string& name, std::vector<TypedColumn>* columns) {
    std::string exact;
    std::vector<ColumnDef> defs;
    if (m_file->FindTable(name, &exact, &defs)) {
      for (const ColumnDef& d : defs) columns->push_back({d.name, static_cast<int>(d.type), ""});
      return true;
    }
    const std::string key = LowerAscii(name);
    auto cached = m_queryColumns.find(key);
    if (cached == m_queryColumns.end()) {
      // A saved query over itself, however many queries away, has none to give.
      if (!m_lookingUp.insert(key).second) return false;
      // Union and crosstab queries too, which the catalog does not list as views.
      std::string saved;
      StatementShape shape;
      bool known = false;
      try {
        saved = BoundQuerySql(name);
        if (!saved.empty()) {
          Translate(saved, &shape);
          known = shape.types.whole;
        }
      } catch (const _com_error&) {
        // running it will say what is wrong
      } catch (...) {
        m_lookingUp.erase(key);
        throw;
      }
      m_lookingUp.erase(key);
      if (!known) shape.types.first.clear();
      cached = m_queryColumns.emplace(key, std::make_pair(known, std::move(shape.types.first))).first;
    }
    if (!cached->second.first) return false;
    *columns = cached->second.second;
    return true;
  }

  // The SQLite text of a statement; a crosstab's headings are read first.
  std::string Translate(const std::string& jetSql, StatementShape* shape) {
    std::string sql = TranslateJetSql(jetSql, shape, &m_lookup);
    if (shape->headingsSql.empty()) return sql;
    sqlite3_stmt* stmt = Prepare(shape->headingsSql);
    std::vector<CrosstabHeading> headings;
    try {
      headings = ReadCrosstabHeadings(stmt, &m_state, shape->headingType);
    } catch (...) {
      sqlite3_finalize(stmt);
      throw;
    }
    sqlite3_finalize(stmt);
    return TranslateCrosstab(jetSql, headings, shape, &m_lookup);
  }

  // Prepares, creating on the way the tables (and saved queries) the statement
  // names, one per failed attempt.
  sqlite3_stmt* Prepare(const std::string& sql) {
    size_t attempts = m_file->Catalog().size() + 8;
    for (;;) {
      m_state.pending.reset();
      m_deniedTable = false;
      m_deniedFunction = false;
      sqlite3_stmt* stmt = nullptr;
      const char* tail = nullptr;
      int rc = sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
      if (rc == SQLITE_OK) {
        if (!stmt) throw _com_error(JET_E_SYNTAX);
        return stmt;
      }
      std::string msg = sqlite3_errmsg(m_db);
      if (m_state.pending) {
        const _com_error e = *m_state.pending;  // with the reader's description
        m_state.pending.reset();
        throw e;
      }
      if (m_deniedTable) throw _com_error(JET_E_NOTABLE);
      if (m_deniedFunction) throw _com_error(JET_E_NOCOLUMN);
      const char prefix[] = "no such table: ";
      if (StartsWith(msg.c_str(), prefix) && attempts-- > 0) {
        std::string name = msg.substr(sizeof prefix - 1);
        if (StartsWith(name.c_str(), "main.")) name.erase(0, 5);
        if (CreateTable(name)) continue;
      }
      throw _com_error(PrepareErrorCode(msg.c_str()), PrepareErrorCause(msg));
    }
  }

  // The description of SQLite's refusal, naming what it names.
  std::string PrepareErrorCause(const std::string& msg) {
    if (StartsWith(msg.c_str(), "no such table: ")) {
      const std::string name = NamedIn(msg, "no such table: ");
      return NoSuchTableCause(name, SimilarTable(name));
    }
    if (StartsWith(msg.c_str(), "no such column: ")) return NoSuchColumnCause(NamedIn(msg, "no such column: "));
    if (StartsWith(msg.c_str(), "no such function: ")) return NoSuchColumnCause(NamedIn(msg, "no such function: "));
    if (StartsWith(msg.c_str(), "near \"")) {
      const size_t end = msg.find("\": ");
      if (end != std::string::npos) return SyntaxErrorCause(msg.substr(6, end - 6));
    }
    if (StartsWith(msg.c_str(), "incomplete input")) return UnfinishedStatementCause();
    return std::string();
  }

  // A table or saved query whose name differs from `name` only in case or blanks.
  std::string SimilarTable(const std::string& name) {
    const std::string loose = LooseName(name);
    for (const CatalogEntry& e : m_file->Catalog()) {
      if (e.type == ObjectType::SystemTable) continue;
      if (LooseName(e.name) == loose) return e.name;
    }
    return std::string();
  }

  // The plain select SQLite has prepared (so every name is checked), read straight
  // from the reader; null when a column does not come from a table of the file
  // (a saved query, say), and SQLite runs it.
  std::unique_ptr<Cursor> DirectCursorFor(sqlite3_stmt* stmt, const StatementShape& shape) {
    int n = sqlite3_column_count(stmt);
    std::vector<int> columns, types;
    std::vector<std::string> names;
    std::vector<ColumnDef> defs;
    std::string exact;
    // A saved query of that name is no table: its own conditions must run.
    if (n == 0 || !m_file->FindTable(shape.table, &exact, &defs)) return nullptr;
    for (int i = 0; i < n; ++i) {
      const char* t = sqlite3_column_table_name(stmt, i);
      const char* origin = sqlite3_column_origin_name(stmt, i);
      if (!t || !origin || exact != t) return nullptr;
      int index = -1;
      for (size_t c = 0; c < defs.size() && index < 0; ++c)
        if (defs[c].name == origin) index = static_cast<int>(c);
      if (index < 0) return nullptr;
      columns.push_back(index);
      types.push_back(static_cast<int>(defs[static_cast<size_t>(index)].type));
      names.push_back(sqlite3_column_name(stmt, i));
    }
    std::unique_ptr<RowStream> stream;
    try {
      stream = m_file->Scan(exact);
    } catch (...) {
      sqlite3_finalize(stmt);
      throw;
    }
    sqlite3_finalize(stmt);
    return MakeDirectCursor(shared_from_this(), std::move(stream), std::move(columns), std::move(names),
                            std::move(types), shape.limit);
  }

  bool CreateTable(const std::string& name) {
    std::string exact;
    std::vector<ColumnDef> columns;
    std::string ddl;
    if (m_file->FindTable(name, &exact, &columns)) {
      ddl = "CREATE VIRTUAL TABLE " + QuotedSqlName(exact) + " USING " + kModuleName;
    } else {
      std::string saved = BoundQuerySql(name);
      if (saved.empty()) {
        // A saved query we cannot rebuild (an action query, rows that make no
        // statement) exists all the same: no "table not found" for it.
        if (m_file->HasSavedQuery(name)) throw _com_error(JET_E_SYNTAX, UnrunnableQueryCause(name));
        return false;
      }
      exact = name;
      // A saved query over itself, however many queries away, cannot be built:
      // Jet refuses it as a circular reference.
      const std::string key = LowerAscii(name);
      if (!m_creating.insert(key).second) throw _com_error(JET_E_SYNTAX, CircularQueryCause(name));
      std::string viewSql, names;
      try {
        names = ViewColumns(saved, &viewSql);
      } catch (const _com_error& e) {
        m_creating.erase(key);
        throw AsMissingParameter(e, saved);
      } catch (...) {
        m_creating.erase(key);
        throw;
      }
      m_creating.erase(key);
      ddl = "CREATE TEMP VIEW " + QuotedSqlName(exact) + names + " AS " + viewSql;
    }
    m_internal = true;
    int rc = sqlite3_exec(m_db, ddl.c_str(), nullptr, nullptr, nullptr);
    m_internal = false;
    if (rc != SQLITE_OK) {
      if (m_state.pending) {
        const _com_error e = *m_state.pending;  // with the reader's description
        m_state.pending.reset();
        throw e;
      }
      return false;
    }
    m_known.insert(LowerAscii(exact));
    if (!ddl.starts_with("CREATE VIRTUAL")) m_views.push_back(exact);
    return true;
  }

  // A saved query's SQL with the parameter values given bound into it, as every
  // statement that reads it sees it; empty when there is none by that name.
  // Throws the missing parameter of a declaration left without a value.
  std::string BoundQuerySql(const std::string& name) {
    std::string saved = m_file->SavedQuerySql(name);
    if (saved.empty() || m_parameters.empty()) return saved;
    std::string missing;
    std::string bound = BindParameters(saved, m_parameters, &missing);
    if (!missing.empty()) throw _com_error(JET_E_NOCOLUMN, MissingParameterCause(missing));
    return bound;
  }

  // The column list of a saved query's view, named as its own result would be
  // (the same name twice told apart by table, as "Orders.CustomerID"); SQLite's
  // own names for a view would be "CustomerID:1". Also gives the view's SQLite text.
  std::string ViewColumns(const std::string& saved, std::string* viewSql) {
    StatementShape shape;
    std::string sql = Translate(saved, &shape);
    *viewSql = shape.tieKeys ? shape.limitSql : sql;
    sqlite3_stmt* stmt = Prepare(*viewSql);
    std::vector<std::string> names = ResultColumnNames(stmt, sqlite3_column_count(stmt), &shape.types);
    sqlite3_finalize(stmt);
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "(" : ", ") + QuotedSqlName(n);
    return list.empty() ? list : list + ")";
  }

  // Statements may read the file's tables and nothing else: no SQLite schema
  // tables, no table-valued functions, no changes, no ATTACH or PRAGMA, and no
  // function but Jet's (SQLite's own would answer in Jet's place).
  static int Authorize(void* self, int action, const char* a, const char* b, const char*, const char*) {
    auto* db = static_cast<DatabaseImpl*>(self);
    if (db->m_internal) return SQLITE_OK;
    switch (action) {
      case SQLITE_SELECT:
      case SQLITE_RECURSIVE:
        return SQLITE_OK;
      case SQLITE_FUNCTION:
        if (IsStatementFunction(b)) return SQLITE_OK;
        db->m_deniedFunction = true;
        return SQLITE_DENY;
      case SQLITE_READ:
        if (!a || db->m_known.count(LowerAscii(a))) return SQLITE_OK;
        db->m_deniedTable = true;
        return SQLITE_DENY;
      default:
        return SQLITE_DENY;
    }
  }

  std::shared_ptr<MdbFile> m_file;
  static int Stepping(void* self) {
    try {
      static_cast<DatabaseImpl*>(self)->m_alive();
    } catch (...) {  // nothing may cross SQLite's frames; the statement goes on
    }
    return 0;
  }

  sqlite3* m_db = nullptr;
  std::function<void()> m_alive;
  ScanState m_state;
  std::set<std::string> m_known;     // tables and views created, ASCII lower case
  std::set<std::string> m_creating;  // saved queries being built into views, the same
  bool m_internal = false;
  bool m_deniedTable = false;
  ColumnLookup m_lookup;
  std::map<std::string, std::pair<bool, std::vector<TypedColumn>>> m_queryColumns;  // by saved query, lower case
  std::set<std::string> m_lookingUp;  // saved queries whose columns are being worked out
  bool m_deniedFunction = false;
  ParameterValues m_parameters;  // bound into every saved query read
  std::vector<std::string> m_views;  // the saved queries built into views
};

}  // namespace

std::shared_ptr<Database> Database::OpenOver(std::shared_ptr<MdbFile> file) {
  if (!file) throw _com_error(E_POINTER);
  return std::make_shared<DatabaseImpl>(std::move(file));
}

}  // namespace jet
