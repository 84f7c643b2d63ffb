// The text of a saved query, rebuilt from its rows in MSysQueries.
#pragma once
#include <cstdint>
#include <string>
#include "platform/jet/file/RowStream.h"

namespace jet {

// `rows` streams MSysQueries (defined by `def`); `objectId` is the query's Id in
// MSysObjects and `catalogFlags` its Flags there, which name the query's kind when
// its rows do not (Access 2007 and later may leave out the row that does). The
// text of a select, union or crosstab query (TRANSFORM ... PIVOT); empty for other
// kinds of query and for rows that make no query.
std::string RebuildSelect(RowStream& rows, const TableDef& def, uint32_t objectId, uint32_t catalogFlags);

}  // namespace jet
