// What an open Connection shares with the Recordsets opened through it: the
// database, and whether the connection is still open. Closing the connection
// closes its recordsets too, as ADO does.
#pragma once
#include <exception>
#include <memory>
#include <new>

#include "platform/ado/AdoErrors.h"
#include "platform/jet/Provider.h"

namespace ado {

struct Session {
  std::shared_ptr<jet::Database> database;
  bool open = true;
};

// Runs a provider call; whatever else it throws becomes the database error too,
// so every failure reaches the caller as _com_error.
template <class F>
auto CallProvider(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const _com_error&) {
    throw;
  } catch (const std::bad_alloc&) {
    Raise(E_OUTOFMEMORY);
  } catch (const std::exception&) {
    Raise(E_FAIL);
  }
}

}  // namespace ado
