#include "db/UserTables.h"

#include "db/ValueString.h"

void ListUserTables(const _ConnectionPtr& connection, _RecordsetPtr& schema,
                    const std::function<void(const std::string&)>& onTable,
                    const std::function<void(long rows)>& onRow) {
  schema = connection->OpenSchema(ADODB::adSchemaTables);
  for (long rows = 1; !schema->GetadoEOF(); ++rows) {
    // A NULL type or name has no text and fails here, as Jet's would.
    if (ValueToString(schema->GetCollect("TABLE_TYPE")) == "TABLE") {
      onTable(ValueToString(schema->GetCollect("TABLE_NAME")));
    }
    schema->MoveNext();
    if (onRow) onRow(rows);
  }
}
