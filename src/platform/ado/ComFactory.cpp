#include "platform/ado/ComFactory.h"

#include <strings.h>

#include "platform/ado/AdoErrors.h"
#include "platform/ado/JetConnection.h"
#include "platform/ado/JetRecordset.h"

namespace ado {
namespace {

CreationHook g_hook;
int g_creations = 0;

}  // namespace

HRESULT CLSIDFromProgID(const char* progId, CLSID* out) {
  if (!progId || !out) return E_INVALIDARG;
  struct Entry { const char* name; const CLSID* clsid; };
  const Entry entries[] = {
      {"ADODB.Connection", &ADODB::CLSID_Connection}, {"ADODB.Connection.6.0", &ADODB::CLSID_Connection},
      {"ADODB.Recordset", &ADODB::CLSID_Recordset}, {"ADODB.Recordset.6.0", &ADODB::CLSID_Recordset},
  };
  for (const Entry& e : entries) {
    if (strcasecmp(progId, e.name) == 0) {
      *out = *e.clsid;
      return S_OK;
    }
  }
  return CO_E_CLASSSTRING;
}

HRESULT CreateObject(const CLSID& clsid, CreatedObject* out) {
  *out = CreatedObject();
  ++g_creations;
  if (CoInitializeCount() == 0) return CO_E_NOTINITIALIZED;
  const bool connection = clsid == ADODB::CLSID_Connection;
  if (!connection && !(clsid == ADODB::CLSID_Recordset)) return REGDB_E_CLASSNOTREG;
  if (g_hook) {
    HRESULT hr = g_hook(clsid, g_creations);
    if (FAILED(hr)) return hr;
  }
  try {
    if (connection) out->connection = std::make_shared<JetConnection>();
    else out->recordset = std::make_shared<JetRecordset>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void SetCreationHook(CreationHook hook) {
  g_hook = std::move(hook);
  g_creations = 0;
}

void FailNthCreation(int n, HRESULT hr) {
  SetCreationHook([n, hr](const CLSID&, int number) { return number == n ? hr : S_OK; });
}

int CreationCount() { return g_creations; }

}  // namespace ado

// ComPtr<T>::CreateInstance for each ADO type: a creation that makes an object of
// another interface (a Recordset asked for as a Connection) is E_NOINTERFACE.
namespace {

template <class T>
std::shared_ptr<T> Pick(const ado::CreatedObject& made);
template <>
std::shared_ptr<ADODB::_Connection> Pick(const ado::CreatedObject& made) { return made.connection; }
template <>
std::shared_ptr<ADODB::_Recordset> Pick(const ado::CreatedObject& made) { return made.recordset; }
template <>
std::shared_ptr<ADODB::Fields> Pick(const ado::CreatedObject&) { return nullptr; }
template <>
std::shared_ptr<ADODB::Field> Pick(const ado::CreatedObject&) { return nullptr; }

}  // namespace

template <class T>
HRESULT ComPtr<T>::CreateInstance(const CLSID& clsid) {
  m_p.reset();
  ado::CreatedObject made;
  HRESULT hr = ado::CreateObject(clsid, &made);
  if (FAILED(hr)) return hr;
  m_p = Pick<T>(made);
  return m_p ? S_OK : E_NOINTERFACE;
}

template <class T>
HRESULT ComPtr<T>::CreateInstance(const char* progId) {
  CLSID clsid;
  HRESULT hr = ado::CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) {
    m_p.reset();
    return hr;
  }
  return CreateInstance(clsid);
}

template class ComPtr<ADODB::_Connection>;
template class ComPtr<ADODB::_Recordset>;
template class ComPtr<ADODB::Fields>;
template class ComPtr<ADODB::Field>;
