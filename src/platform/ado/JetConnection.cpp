#include "platform/ado/JetConnection.h"

#include "platform/ado/ConnectionString.h"
#include "platform/ado/DatabaseOpener.h"
#include "platform/ado/JetRecordset.h"
#include "platform/ado/RowsCursor.h"
#include "platform/ado/SchemaRowsets.h"

namespace ado {

void JetConnection::PutConnectionString(const std::string& s) {
  if (m_session) Raise(adErrObjectOpen);
  m_connectionString = s;
}

void JetConnection::Open(const std::string& connectionString, const std::string&, const std::string&, long) {
  if (m_session) Raise(adErrObjectOpen);
  if (!connectionString.empty()) m_connectionString = connectionString;
  ConnectionString parsed = ConnectionString::Parse(m_connectionString);
  std::optional<std::string> provider = parsed.Get("Provider");
  if (!provider) Raise(E_FAIL);  // ADO would fall back to ODBC, which finds no source
  if (!IsJetProvider(*provider)) Raise(adErrProviderNotFound);
  std::string path = parsed.Get("Data Source").value_or(std::string());
  if (path.empty()) Raise(E_FAIL);  // Jet cannot find a file without a name
  const std::string password = parsed.Get("Jet OLEDB:Database Password").value_or(std::string());
  auto session = std::make_shared<Session>();
  session->database = CallProvider([&] { return OpenDatabase(path, password); });
  if (!session->database) Raise(E_FAIL);
  if (!m_parameters.empty()) session->database->SetParameterValues(m_parameters);
  m_session = std::move(session);
}

_RecordsetPtr JetConnection::OpenSchema(ADODB::SchemaEnum schema, const VARIANT& restrictions,
                                        const VARIANT& schemaId) {
  if (!m_session) Raise(adErrObjectClosed);
  auto missing = [](const VARIANT& v) { return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND); };
  if (!missing(restrictions) || !missing(schemaId)) Raise(adErrFeatureNotAvailable);
  std::unique_ptr<RowsCursor> structure;
  jet::Database& db = *m_session->database;
  switch (schema) {
    case ADODB::adSchemaStatistics: return OpenStatistics();
    case ADODB::adSchemaProcedures: return OpenProcedures();
    case ADODB::adSchemaTables: break;
    case ADODB::adSchemaColumns: structure = CallProvider([&] { return ColumnsRowset(db); }); break;
    case ADODB::adSchemaIndexes: structure = CallProvider([&] { return IndexesRowset(db); }); break;
    case ADODB::adSchemaPrimaryKeys: structure = CallProvider([&] { return PrimaryKeysRowset(db); }); break;
    case ADODB::adSchemaForeignKeys: structure = CallProvider([&] { return ForeignKeysRowset(db); }); break;
    case ADODB::adSchemaViews: structure = CallProvider([&] { return ViewsRowset(db); }); break;
    default: Raise(adErrFeatureNotAvailable);
  }
  if (structure) {
    auto recordset = std::make_shared<JetRecordset>();
    recordset->OpenOver(m_session, std::move(structure));
    return _RecordsetPtr(recordset);
  }
  std::vector<jet::SchemaTableRow> tables = CallProvider([&] { return m_session->database->Tables(); });
  std::vector<std::string> names = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",   "TABLE_TYPE",   "TABLE_GUID",
                                    "DESCRIPTION",   "TABLE_PROPID", "DATE_CREATED", "DATE_MODIFIED"};
  std::vector<std::vector<VARIANT>> rows;
  rows.reserve(tables.size());
  for (jet::SchemaTableRow& t : tables) {
    std::vector<VARIANT> row(names.size(), VARIANT::Null());
    row[2] = VARIANT::Str(std::move(t.tableName));
    row[3] = VARIANT::Str(std::move(t.tableType));
    rows.push_back(std::move(row));
  }
  auto recordset = std::make_shared<JetRecordset>();
  recordset->OpenOver(m_session, std::make_unique<RowsCursor>(std::move(names), std::move(rows)));
  return _RecordsetPtr(recordset);
}

// PROCEDURE_NAME and PROCEDURE_DEFINITION of every saved query, and beside OLE DB's
// columns the provider's QUERY_KIND (select, union, crosstab, parameter, action).
_RecordsetPtr JetConnection::OpenProcedures() {
  std::vector<jet::SchemaProcedureRow> queries = CallProvider([&] { return m_session->database->Procedures(); });
  std::vector<std::string> names = {"PROCEDURE_CATALOG", "PROCEDURE_SCHEMA", "PROCEDURE_NAME",
                                    "PROCEDURE_TYPE",    "PROCEDURE_DEFINITION", "DESCRIPTION",
                                    "DATE_CREATED",      "DATE_MODIFIED",    "QUERY_KIND"};
  std::vector<std::vector<VARIANT>> rows;
  for (jet::SchemaProcedureRow& q : queries) {
    std::vector<VARIANT> row(names.size(), VARIANT::Null());
    row[2] = VARIANT::Str(std::move(q.name));
    row[4] = VARIANT::Str(std::move(q.definition));
    row[8] = VARIANT::Str(std::move(q.kind));
    rows.push_back(std::move(row));
  }
  auto recordset = std::make_shared<JetRecordset>();
  recordset->OpenOver(m_session, std::make_unique<RowsCursor>(std::move(names), std::move(rows)));
  return _RecordsetPtr(recordset);
}

// TABLE_NAME and CARDINALITY (the row count a table's definition records, NULL
// where it cannot be read) of every table.
_RecordsetPtr JetConnection::OpenStatistics() {
  std::vector<jet::SchemaStatisticsRow> tables = CallProvider([&] { return m_session->database->Statistics(); });
  std::vector<std::string> names = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "CARDINALITY"};
  std::vector<std::vector<VARIANT>> rows;
  rows.reserve(tables.size());
  for (jet::SchemaStatisticsRow& t : tables) {
    std::vector<VARIANT> row(names.size(), VARIANT::Null());
    row[2] = VARIANT::Str(std::move(t.tableName));
    if (t.rows) {
      row[3].vt = VT_I8;
      row[3].llVal = static_cast<int64_t>(*t.rows);
    }
    rows.push_back(std::move(row));
  }
  auto recordset = std::make_shared<JetRecordset>();
  recordset->OpenOver(m_session, std::make_unique<RowsCursor>(std::move(names), std::move(rows)));
  return _RecordsetPtr(recordset);
}

void JetConnection::WhileStepping(std::function<void()> alive) {
  if (m_session && m_session->database) m_session->database->WhileStepping(std::move(alive));
}

void JetConnection::PutParameterValues(std::vector<std::pair<std::string, std::string>> values) {
  m_parameters = std::move(values);
  if (m_session && m_session->database) m_session->database->SetParameterValues(m_parameters);
}

_RecordsetPtr JetConnection::OpenTableKeys(const std::string& table) {
  if (!m_session) Raise(adErrObjectClosed);
  std::unique_ptr<jet::Cursor> rows = CallProvider([&] { return m_session->database->TableKeys(table); });
  auto recordset = std::make_shared<JetRecordset>();
  recordset->OpenOver(m_session, std::move(rows));
  return _RecordsetPtr(recordset);
}

void JetConnection::Close() {
  if (!m_session) Raise(adErrObjectClosed);
  m_session->open = false;
  m_session->database.reset();
  m_session.reset();
}

}  // namespace ado
