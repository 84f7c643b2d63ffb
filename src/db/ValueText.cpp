#include "db/ValueText.h"

#include <string>
#include "platform/com/ComError.h"

CString ValueToText(const VARIANT& value) {
  if (value.vt == VT_BSTR) return CString(value.bstrVal.c_str());
  std::string text;
  HRESULT hr = VariantToText(value, &text);
  if (FAILED(hr)) throw _com_error(hr);
  return CString(text.c_str());
}

CString CellText(const VARIANT& value) {
  if (value.vt == VT_NULL) return CString();
  return ValueToText(value);
}
