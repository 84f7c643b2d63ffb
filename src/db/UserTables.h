// The user tables of a database, in the schema's order (by name, without regard to
// case): the window's table drop-down and the command line's --list and --all name
// the same tables in the same order.
#pragma once
#include <functional>
#include <string>
#include "platform/ado/Ado.h"

// Opens the schema rowset of tables into `schema` on the open connection and calls
// onTable with the name of each row whose type is exactly "TABLE" (system tables,
// saved queries and links are passed over without their names being read), and
// onRow, when given, after each row with the count of rows read. A failure raises
// the database error; the tables named before it have been handed out.
void ListUserTables(const _ConnectionPtr& connection, _RecordsetPtr& schema,
                    const std::function<void(const std::string&)>& onTable,
                    const std::function<void(long rows)>& onRow = {});
