#include "platform/ado/DatabaseOpener.h"

namespace ado {
namespace {
DatabaseOpener g_opener;
std::shared_ptr<jet::SalvageLog> g_salvage;
}

void SetSalvageLog(std::shared_ptr<jet::SalvageLog> log) { g_salvage = std::move(log); }

void SetDatabaseOpener(DatabaseOpener opener) { g_opener = std::move(opener); }

std::shared_ptr<jet::Database> OpenDatabase(const std::string& path, const std::string& password) {
  return g_opener ? g_opener(path) : jet::Database::Open(path, password, g_salvage);
}

}  // namespace ado
