#include "db/ConnectionMaker.h"

namespace db {
namespace {
ConnectionMaker g_maker;
}  // namespace

void SetConnectionMaker(ConnectionMaker maker) { g_maker = std::move(maker); }

HRESULT CreateConnection(_ConnectionPtr* out) {
  if (g_maker) return g_maker(out);
  return out->CreateInstance(ADODB::CLSID_Connection);
}

}  // namespace db
