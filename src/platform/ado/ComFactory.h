// The one place ADO objects are made, by class id or ProgID, as CoCreateInstance
// would make them: only on a thread inside CoInitialize, only for the two ADO
// classes. Tests make a creation fail through the hook.
#pragma once
#include <functional>
#include <memory>

#include "platform/ado/Ado.h"

namespace ado {

// "ADODB.Connection" and "ADODB.Recordset" (also with ".6.0"), without regard to
// case as the registry has them; CO_E_CLASSSTRING for anything else.
HRESULT CLSIDFromProgID(const char* progId, CLSID* out);

// What one creation made: exactly one of the two is set on success.
struct CreatedObject {
  std::shared_ptr<ADODB::_Connection> connection;
  std::shared_ptr<ADODB::_Recordset> recordset;
};

// CO_E_NOTINITIALIZED outside CoInitialize, REGDB_E_CLASSNOTREG for another class
// id, else the hook's answer when it gives a failure, else S_OK.
HRESULT CreateObject(const CLSID& clsid, CreatedObject* out);

// Test seam: asked before each creation with the class id and the creation's
// number (1 for the first since the hook was set); a failure code it returns
// becomes the creation's result. An empty function removes the hook.
using CreationHook = std::function<HRESULT(const CLSID& clsid, int creationNumber)>;
void SetCreationHook(CreationHook hook);
// Shorthand: creation number n fails with hr, every other one succeeds.
void FailNthCreation(int n, HRESULT hr);
// Creations asked for since the hook was last set (or removed).
int CreationCount();

}  // namespace ado
