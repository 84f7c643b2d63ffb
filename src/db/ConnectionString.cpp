#include "db/ConnectionString.h"

#include "platform/ado/ConnectionString.h"

std::string JetConnectionString(const std::string& path) {
  return "Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path;
}

std::string JetConnectionString(const std::string& path, const std::string& password) {
  if (password.empty()) return JetConnectionString(path);
  return "Provider=MIcrosoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=" + ado::QuoteValue(password) +
         ";Data source=" + ado::QuoteValue(path);
}
