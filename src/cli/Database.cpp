#include "cli/Database.h"
#include "db/ConnectionString.h"


Database::Database(const std::string& path) {
  CoInitialize(nullptr);
  try {
    _com_issue_errorex(m_connection.CreateInstance(ADODB::CLSID_Connection));
    m_connection->PutConnectionString(JetConnectionString(path));
    m_connection->Open("", "", "", ADODB::adConnectUnspecified);
  } catch (...) {
    m_connection.Release();
    CoUninitialize();
    throw;
  }
}

Database::~Database() {
  m_connection.Release();
  CoUninitialize();
}

_RecordsetPtr Database::NewRecordset() {
  _RecordsetPtr recordset;
  _com_issue_errorex(recordset.CreateInstance("ADODB.Recordset"));
  return recordset;
}

void Database::Close() { m_connection->Close(); }
