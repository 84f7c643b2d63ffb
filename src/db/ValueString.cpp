#include "db/ValueString.h"

#include "platform/com/ComError.h"

std::string ValueToString(const VARIANT& value) {
  if (value.vt == VT_BSTR) return value.bstrVal;
  std::string text;
  HRESULT hr = VariantToText(value, &text);
  if (FAILED(hr)) throw _com_error(hr);
  return text;
}
