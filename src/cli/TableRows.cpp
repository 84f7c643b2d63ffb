#include "cli/TableRows.h"
#include "cli/ArgumentText.h"


RecordedRows::RecordedRows(const _ConnectionPtr& connection) {
  try {
    _RecordsetPtr statistics = connection->OpenSchema(ADODB::adSchemaStatistics);
    for (; !statistics->GetadoEOF(); statistics->MoveNext()) {
      const VARIANT name = statistics->GetCollect("TABLE_NAME");
      const VARIANT rows = statistics->GetCollect("CARDINALITY");
      if (name.vt == VT_BSTR && rows.vt == VT_I8 && rows.llVal >= 0) {
        m_rows[AsciiLower(name.bstrVal)] = static_cast<uint64_t>(rows.llVal);
      }
    }
  } catch (const _com_error&) {
    m_rows.clear();
  }
}

std::optional<uint64_t> RecordedRows::Of(const std::string& table) const {
  auto it = m_rows.find(AsciiLower(table));
  if (it == m_rows.end()) return std::nullopt;
  return it->second;
}
