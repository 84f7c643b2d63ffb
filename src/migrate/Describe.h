// --describe: a table's structure as text for a reader, or as JSON for a program.
#pragma once
#include <string>
#include "migrate/Schema.h"

namespace migrate {

// The table's columns (name, type, size, required, default, description), primary
// key, indexes and the relationships it takes part in.
std::string DescribeText(const DatabaseSchema& schema, const Table& table);
// The same as one JSON object.
std::string DescribeJson(const DatabaseSchema& schema, const Table& table);

}  // namespace migrate
