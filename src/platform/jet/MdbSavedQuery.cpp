#include "platform/jet/MdbSavedQuery.h"

namespace jet {

std::string RebuildSelect(RowStream& rows, const TableDef& def, uint32_t objectId) {
  (void)rows; (void)def; (void)objectId;
  return std::string();
}

}  // namespace jet
