// ADO's Connection over the Jet provider.
#pragma once
#include <memory>
#include <string>

#include "platform/ado/Ado.h"
#include "platform/ado/Session.h"

namespace ado {

class JetConnection : public ADODB::_Connection {
 public:
  // Kept as given; parsed when the connection opens. Refused while open.
  void PutConnectionString(const std::string& s) override;
  std::string GetConnectionString() override { return m_connectionString; }
  // A non-empty connectionString replaces the one set before. Missing Provider:
  // E_FAIL; another provider: adErrProviderNotFound; empty Data source: E_FAIL;
  // already open: adErrObjectOpen; else what the provider reports.
  void Open(const std::string& connectionString, const std::string& userId, const std::string& password,
            long options) override;
  // adSchemaTables, adSchemaStatistics, adSchemaColumns, adSchemaIndexes,
  // adSchemaPrimaryKeys and adSchemaForeignKeys (adErrFeatureNotAvailable
  // otherwise), restrictions missing.
  _RecordsetPtr OpenSchema(ADODB::SchemaEnum schema, const VARIANT& restrictions,
                           const VARIANT& schemaId) override;
  void Close() override;
  _RecordsetPtr OpenTableKeys(const std::string& table) override;
  // Passed to the open database; closed, there is nothing to call it.
  void WhileStepping(std::function<void()> alive) override;
  void PutParameterValues(std::vector<std::pair<std::string, std::string>> values) override;

  // The open session for Recordset.Open, or null when closed.
  std::shared_ptr<Session> session() const { return m_session; }

 private:
  _RecordsetPtr OpenStatistics();
  _RecordsetPtr OpenProcedures();

  std::string m_connectionString;
  jet::ParameterValues m_parameters;
  std::shared_ptr<Session> m_session;
};

}  // namespace ado
