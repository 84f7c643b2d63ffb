// How Connection.Open reaches the Jet provider. Production opens the file with
// jet::Database::Open; a test puts its own opener here to serve a fake database.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/jet/Provider.h"

namespace ado {

// Opens the database at a path or throws _com_error, as jet::Database::Open does.
using DatabaseOpener = std::function<std::shared_ptr<jet::Database>(const std::string& path)>;

// An empty function puts back jet::Database::Open.
void SetDatabaseOpener(DatabaseOpener opener);
// With a log, every database opened from now on is read in salvage mode, its losses
// written into the log (kelvane-export --salvage); null puts back the plain reading.
void SetSalvageLog(std::shared_ptr<jet::SalvageLog> log);
// password: the database password (empty: none); a test's opener does not see it.
std::shared_ptr<jet::Database> OpenDatabase(const std::string& path, const std::string& password = {});

}  // namespace ado
