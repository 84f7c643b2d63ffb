// VARIANT: a column value as the ADO layer hands it out. Text is UTF-8 inside the
// program, so a BSTR here is a std::string of UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/com/HResult.h"

enum VARENUM : uint16_t {
  VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5,
  VT_CY = 6, VT_DATE = 7, VT_BSTR = 8, VT_ERROR = 10, VT_BOOL = 11,
  VT_DECIMAL = 14, VT_UI1 = 17, VT_I8 = 20, VT_ARRAY = 0x2000,
};
using VARTYPE = uint16_t;

constexpr int16_t VARIANT_TRUE = -1;
constexpr int16_t VARIANT_FALSE = 0;

// Access's Decimal: a 96-bit magnitude, a sign and a scale (digits after the point).
struct DECIMAL {
  uint8_t scale = 0;
  bool negative = false;
  uint32_t hi32 = 0;
  uint64_t lo64 = 0;
};

struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  union {
    uint8_t bVal;
    int16_t iVal;
    int32_t lVal;
    int64_t llVal;
    float fltVal;
    double dblVal;
    int64_t cyVal;   // VT_CY: the amount times 10,000
    double date;     // VT_DATE: days since 1899/12/30, fraction = time of day
    int16_t boolVal; // VT_BOOL: VARIANT_TRUE or VARIANT_FALSE
    HRESULT scode;   // VT_ERROR
  };
  DECIMAL decVal;               // VT_DECIMAL
  std::string bstrVal;          // VT_BSTR, UTF-8
  std::vector<uint8_t> parray;  // VT_ARRAY | VT_UI1: binary and OLE values

  VARIANT() : llVal(0) {}
  static VARIANT Null() { VARIANT v; v.vt = VT_NULL; return v; }
  static VARIANT Str(std::string s) { VARIANT v; v.vt = VT_BSTR; v.bstrVal = std::move(s); return v; }
  static VARIANT I4(int32_t n) { VARIANT v; v.vt = VT_I4; v.lVal = n; return v; }
  static VARIANT R8(double d) { VARIANT v; v.vt = VT_R8; v.dblVal = d; return v; }
  static VARIANT Bool(bool b) { VARIANT v; v.vt = VT_BOOL; v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; return v; }
  static VARIANT Missing() { VARIANT v; v.vt = VT_ERROR; v.scode = DISP_E_PARAMNOTFOUND; return v; }
};

// VariantChangeType to VT_BSTR with no flags: writes the value's text (the forms of
// the value table in the platform notes) into *out and returns S_OK, or returns
// DISP_E_TYPEMISMATCH for NULL, binary and other values that have no text.
HRESULT VariantToText(const VARIANT& value, std::string* out);

// The same text appended to *out, which is left as it was on failure. No heap
// work beyond the growth of *out: the export writes every value of a table so.
HRESULT AppendVariantText(const VARIANT& value, std::string* out);

// Room for the text of any value but a string's: the longest is a Decimal of 29
// digits, a sign and a point.
constexpr int kVariantTextMax = 48;
// The same text for a value that is no string (VT_BSTR), written at buf (room for
// kVariantTextMax) with *end set past it; or DISP_E_TYPEMISMATCH as above.
HRESULT PutVariantText(const VARIANT& value, char* buf, char** end);
