// The text of a saved select query, rebuilt from its rows in MSysQueries.
#pragma once
#include <cstdint>
#include <string>
#include "platform/jet/file/RowStream.h"

namespace jet {

// `rows` streams MSysQueries (defined by `def`); `objectId` is the query's Id in
// MSysObjects. Returns empty when the query is not a plain select.
std::string RebuildSelect(RowStream& rows, const TableDef& def, uint32_t objectId);

}  // namespace jet
