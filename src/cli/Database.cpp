#include "cli/Database.h"
#include "db/ConnectionString.h"
#include "cli/Password.h"


Database::Database(const std::string& path) {
  CoInitialize(nullptr);
  try {
    _com_issue_errorex(m_connection.CreateInstance(ADODB::CLSID_Connection));
    OpenWithPassword(path, [&](const std::string& password) {
      m_connection->Open(JetConnectionString(path, password), "", "", ADODB::adConnectUnspecified);
    });
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
