#include "export/JsonValue.h"

#include <cmath>
#include "export/CsvValue.h"

void AppendJsonString(std::string_view utf8, std::string* out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out->push_back('"');
  size_t plain = 0;  // the start of the run of bytes that need no escape
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out->append(utf8.data() + plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"': out->append("\\\""); break;
      case '\\': out->append("\\\\"); break;
      case '\n': out->append("\\n"); break;
      case '\r': out->append("\\r"); break;
      case '\t': out->append("\\t"); break;
      default:
        out->append("\\u00");
        out->push_back(kHex[c >> 4]);
        out->push_back(kHex[c & 15]);
    }
  }
  out->append(utf8.data() + plain, utf8.size() - plain);
  out->push_back('"');
}

HRESULT AppendJsonValue(const VARIANT& v, std::string* out) {
  switch (v.vt) {
    case VT_NULL:
    case VT_EMPTY: out->append("null"); return S_OK;
    case VT_BSTR: AppendJsonString(v.bstrVal, out); return S_OK;
    case VT_R4:
    case VT_R8:
      // JSON has no NaN or infinity: null, as JavaScript's own JSON.stringify writes them.
      if (!std::isfinite(v.vt == VT_R4 ? double{v.fltVal} : v.dblVal)) {
        out->append("null");
        return S_OK;
      }
      break;
    default: break;
  }
  char buf[kCsvTextMax];
  char* end = buf;
  const HRESULT hr = PutCsvText(v, buf, &end);
  if (FAILED(hr)) return hr;
  const bool bare = IsCsvNumber(v) || v.vt == VT_BOOL;
  if (!bare) out->push_back('"');
  out->append(buf, end);
  if (!bare) out->push_back('"');
  return S_OK;
}
