#include "db/ConnectionString.h"

std::string JetConnectionString(const std::string& path) {
  return "Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path;
}
