// The connection string both programs open a database file with: the Jet
// provider's, the path verbatim (no quoting), so that a path with a ';' or blanks
// reaches the provider exactly as the user chose it.
#pragma once
#include <string>

std::string JetConnectionString(const std::string& path);
// The same with the database password (Jet OLEDB:Database Password), quoted where
// the provider needs it to be; an empty password gives the string without it.
std::string JetConnectionString(const std::string& path, const std::string& password);
