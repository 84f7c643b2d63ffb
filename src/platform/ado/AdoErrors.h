// The result codes ADO itself raises (facility 0x0A, the adErr... numbers), and
// COM's code for a creation on a thread that never called CoInitialize.
#pragma once
#include "platform/com/ComError.h"

namespace ado {

// "Either BOF or EOF is True, or the current record has been deleted."
constexpr HRESULT adErrNoCurrentRecord = static_cast<HRESULT>(0x800A0BCD);
// "Item cannot be found in the collection corresponding to the requested name or ordinal."
constexpr HRESULT adErrItemNotFound = static_cast<HRESULT>(0x800A0CC1);
// "Object or provider is not capable of performing requested operation."
constexpr HRESULT adErrFeatureNotAvailable = static_cast<HRESULT>(0x800A0CB3);
// "Operation is not allowed when the object is closed."
constexpr HRESULT adErrObjectClosed = static_cast<HRESULT>(0x800A0E78);
// "Operation is not allowed when the object is open."
constexpr HRESULT adErrObjectOpen = static_cast<HRESULT>(0x800A0E79);
// "Provider cannot be found. It may not be properly installed."
constexpr HRESULT adErrProviderNotFound = static_cast<HRESULT>(0x800A0E7A);
// "The connection cannot be used to perform this operation. It is either closed
// or invalid in this context."
constexpr HRESULT adErrInvalidConnection = static_cast<HRESULT>(0x800A0E7D);

constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);

[[noreturn]] inline void Raise(HRESULT hr) { throw _com_error(hr); }

}  // namespace ado
