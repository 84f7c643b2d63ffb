#include "db/ValueText.h"

#include "db/ValueString.h"

CString ValueToText(const VARIANT& value) { return CString(ValueToString(value).c_str()); }

CString CellText(const VARIANT& value) {
  if (value.vt == VT_NULL) return CString();
  return ValueToText(value);
}
