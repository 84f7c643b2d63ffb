// The open of an operation's connection, with the password box for a protected
// database: when the provider refuses the file for its password, the box asks for
// it and the open is tried again, until it opens or the user cancels. The password
// is kept in memory for that file only (until an operation runs on another file,
// or the program ends), so that preview and export do not ask again; it is never
// saved, logged or shown.
#pragma once
#include <string>
#include "platform/ado/Ado.h"

namespace db {

// Opens conn on the database at path. Throws the provider's _com_error, the
// password refusal (JET_E_PASSWORD) too when the box is cancelled.
void OpenConnection(_ConnectionPtr& conn, const std::string& path);

}  // namespace db
