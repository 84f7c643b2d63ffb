// Result codes as COM has them: 32 bits, negative on failure. The codes the
// program raises or looks at are named here so that every layer uses one spelling.
#pragma once
#include <cstdint>

using HRESULT = int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);

// What the Jet OLE DB provider reports (IDispatch error numbers 3000 and up).
constexpr HRESULT JET_E_PASSWORD = static_cast<HRESULT>(0x80040E4D);     // #3149
constexpr HRESULT JET_E_EMPTYSTATEMENT = static_cast<HRESULT>(0x80040E0C); // #3084
constexpr HRESULT JET_E_SYNTAX = static_cast<HRESULT>(0x80040E14);       // #3092
constexpr HRESULT JET_E_NOTABLE = static_cast<HRESULT>(0x80040E37);      // #3127
constexpr HRESULT JET_E_NOCOLUMN = static_cast<HRESULT>(0x80040E10);     // #3088
constexpr HRESULT JET_E_TYPEMISMATCH = static_cast<HRESULT>(0x80040E07); // #3079
// Jet's error 3354 (a subquery used as a value gave several rows) by its own
// number, 0x80040200 + 3354; its text is in our table of system texts.
constexpr HRESULT JET_E_SUBQUERYROWS = static_cast<HRESULT>(0x80040F1A); // #3354

// A Win32 error code (errno mapped by the caller) as a result of the Win32 facility.
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t code) {
  return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFF) | 0x80070000u);
}
