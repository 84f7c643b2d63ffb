// --sqlite: the whole database into one SQLite file. It is built in a temporary
// file beside the target and renamed over it at the end: a failed run leaves no
// half database, and an existing target stays as it was until the rename.
#pragma once
#include <string>
#include "migrate/WholeDatabase.h"

namespace migrate {

// Throws _com_error: the source's failures as the provider raises them, the
// target's as the system code (HRESULT from errno) or E_FAIL with SQLite's words.
void WriteSqliteDatabase(const _ConnectionPtr& connection, const DatabaseSchema& schema, const std::string& target,
                         const WriteEvents& events);

// The temporary file of the run, removed by a signal handler (async-signal-safe).
void RemoveTemporaryForSignal();

}  // namespace migrate
