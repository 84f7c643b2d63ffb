// Where the operation frame gets its Connection object. By default the ADO factory
// makes it by class id; a test puts its own maker here to serve a connection whose
// schema listing fails half-way, which no real file can be made to do.
#pragma once
#include <functional>
#include "platform/ado/Ado.h"

namespace db {

using ConnectionMaker = std::function<HRESULT(_ConnectionPtr* out)>;

// An empty function puts back the ADO factory.
void SetConnectionMaker(ConnectionMaker maker);
HRESULT CreateConnection(_ConnectionPtr* out);

}  // namespace db
