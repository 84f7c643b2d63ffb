// VariantChangeType to text with no flags, in the forms Access values take on
// Windows with the '.' point and the "yyyy/M/d H:mm:ss" date of a zh-CN system.
// Every form is written into a small buffer on the stack with integer arithmetic
// (and std::to_chars for the reals), then appended once.
#include <charconv>

#include "platform/com/Exact.h"
#include "platform/com/OleDate.h"
#include "platform/com/RealText.h"
#include "platform/com/Variant.h"

namespace {

template <class Int>
char* PutInteger(char* p, Int n) {
  return std::to_chars(p, p + 24, n).ptr;
}

// The parts of a date and time, 0..99: two digits, or one when `pad` is false
// and the number is below 10.
char* PutPart(char* p, int n, bool pad) {
  if (pad || n >= 10) *p++ = static_cast<char>('0' + n / 10);
  *p++ = static_cast<char>('0' + n % 10);
  return p;
}

// nullptr for a value outside the calendar.
char* PutDate(char* p, double value) {
  oledate::DateTime t;
  if (!oledate::FromOleDate(value, &t)) return nullptr;
  const bool noDate = t.year == 1899 && t.month == 12 && t.day == 30;
  const bool noTime = t.hour == 0 && t.minute == 0 && t.second == 0;
  if (!noDate) {  // yyyy/M/d
    p = PutPart(p, t.year / 100, true);
    p = PutPart(p, t.year % 100, true);
    *p++ = '/';
    p = PutPart(p, t.month, false);
    *p++ = '/';
    p = PutPart(p, t.day, false);
  }
  if (noDate || !noTime) {  // H:mm:ss
    if (!noDate) *p++ = ' ';
    p = PutPart(p, t.hour, false);
    *p++ = ':';
    p = PutPart(p, t.minute, true);
    *p++ = ':';
    p = PutPart(p, t.second, true);
  }
  return p;
}

}  // namespace

HRESULT AppendVariantText(const VARIANT& v, std::string* out) {
  if (v.vt == VT_BSTR) {
    out->append(v.bstrVal);
    return S_OK;
  }
  char buf[kVariantTextMax];
  char* end = buf;
  const HRESULT hr = PutVariantText(v, buf, &end);
  if (SUCCEEDED(hr)) out->append(buf, end);
  return hr;
}

HRESULT PutVariantText(const VARIANT& v, char* buf, char** out) {
  char* end = buf;
  switch (v.vt) {
    case VT_EMPTY: break;
    case VT_UI1: end = PutInteger(buf, v.bVal); break;
    case VT_I2: end = PutInteger(buf, v.iVal); break;
    case VT_I4: end = PutInteger(buf, v.lVal); break;
    case VT_I8: end = PutInteger(buf, v.llVal); break;
    case VT_R4: end = PutSingleText(v.fltVal, buf); break;
    case VT_R8: end = PutDoubleText(v.dblVal, buf); break;
    case VT_CY: end = Exact::OfCurrency(v.cyVal).PutText(buf); break;
    case VT_DATE:
      end = PutDate(buf, v.date);
      if (end == nullptr) return E_INVALIDARG;
      break;
    case VT_BOOL: end = PutInteger(buf, v.boolVal == VARIANT_FALSE ? 0 : -1); break;
    case VT_DECIMAL: {
      Exact e;
      if (!Exact::OfDecimal(v.decVal, &e)) return E_INVALIDARG;
      end = e.PutText(buf);
      break;
    }
    default:
      // NULL, binary (VT_ARRAY|VT_UI1), VT_ERROR and the rest have no text, and a
      // string's is itself.
      return DISP_E_TYPEMISMATCH;
  }
  *out = end;
  return S_OK;
}

HRESULT VariantToText(const VARIANT& v, std::string* out) {
  if (v.vt == VT_BSTR) {
    *out = v.bstrVal;
    return S_OK;
  }
  std::string text;
  HRESULT hr = AppendVariantText(v, &text);
  if (SUCCEEDED(hr)) *out = std::move(text);
  return hr;
}
