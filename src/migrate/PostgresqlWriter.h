// --postgresql: the whole database as one script for `psql -f`, in one
// transaction: the tables, COPY of their rows, then primary keys, indexes and
// foreign keys, each AutoNumber's sequence set past its largest value, and the
// descriptions as comments. A script cut short has no COMMIT: it loads nothing.
#pragma once
#include <string>
#include "migrate/WholeDatabase.h"

namespace migrate {

// target "-": standard output. Throws _com_error; TargetFileError for the target's
// failures; E_FAIL naming it for a name longer than PostgreSQL's 63 bytes.
void WritePostgresqlScript(const _ConnectionPtr& connection, const DatabaseSchema& schema, const std::string& target,
                           const WriteEvents& events);

}  // namespace migrate
