// VariantChangeType to text with no flags, in the forms Access values take on
// Windows with the '.' point and the "yyyy/M/d H:mm:ss" date of a zh-CN system.
#include "platform/com/OleDate.h"
#include "platform/com/RealText.h"
#include "platform/com/Variant.h"

namespace {

// A fixed-point amount: integer digits of `magnitude`, `scale` of them after the
// point, trailing zeros and a bare point dropped.
std::string FixedPointText(bool negative, unsigned __int128 magnitude, int scale) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(digits.size()) <= scale) {
    digits.insert(0, static_cast<size_t>(scale + 1 - static_cast<int>(digits.size())), '0');
  }
  std::string whole = digits.substr(0, digits.size() - static_cast<size_t>(scale));
  std::string fraction = digits.substr(digits.size() - static_cast<size_t>(scale));
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  bool zero = whole.find_first_not_of('0') == std::string::npos && fraction.empty();
  std::string out = negative && !zero ? "-" : "";
  out += whole;
  if (!fraction.empty()) out += "." + fraction;
  return out;
}

std::string CurrencyText(int64_t cy) {
  bool negative = cy < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cy) : static_cast<uint64_t>(cy);
  return FixedPointText(negative, magnitude, 4);
}

// Writes n in decimal, at least `width` digits; returns the end.
char* PutNumber(char* p, int n, int width) {
  char tmp[12];
  int len = 0;
  do {
    tmp[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (len < width) tmp[len++] = '0';
  while (len > 0) *p++ = tmp[--len];
  return p;
}

HRESULT DateText(double value, std::string* out) {
  oledate::DateTime t;
  if (!oledate::FromOleDate(value, &t)) return E_INVALIDARG;
  char buf[32];
  char* p = buf;
  const bool noDate = t.year == 1899 && t.month == 12 && t.day == 30;
  const bool noTime = t.hour == 0 && t.minute == 0 && t.second == 0;
  if (!noDate) {  // yyyy/M/d
    p = PutNumber(p, t.year, 4);
    *p++ = '/';
    p = PutNumber(p, t.month, 1);
    *p++ = '/';
    p = PutNumber(p, t.day, 1);
  }
  if (noDate || !noTime) {  // H:mm:ss
    if (!noDate) *p++ = ' ';
    p = PutNumber(p, t.hour, 1);
    *p++ = ':';
    p = PutNumber(p, t.minute, 2);
    *p++ = ':';
    p = PutNumber(p, t.second, 2);
  }
  out->assign(buf, p);
  return S_OK;
}

}  // namespace

HRESULT VariantToText(const VARIANT& v, std::string* out) {
  switch (v.vt) {
    case VT_EMPTY: out->clear(); return S_OK;
    case VT_BSTR: *out = v.bstrVal; return S_OK;
    case VT_UI1: *out = std::to_string(v.bVal); return S_OK;
    case VT_I2: *out = std::to_string(v.iVal); return S_OK;
    case VT_I4: *out = std::to_string(v.lVal); return S_OK;
    case VT_I8: *out = std::to_string(v.llVal); return S_OK;
    case VT_R4: *out = SingleText(v.fltVal); return S_OK;
    case VT_R8: *out = DoubleText(v.dblVal); return S_OK;
    case VT_CY: *out = CurrencyText(v.cyVal); return S_OK;
    case VT_DATE: return DateText(v.date, out);
    case VT_BOOL: *out = v.boolVal == VARIANT_FALSE ? "0" : "-1"; return S_OK;
    case VT_DECIMAL: {
      if (v.decVal.scale > 28) return E_INVALIDARG;
      unsigned __int128 magnitude = (static_cast<unsigned __int128>(v.decVal.hi32) << 64) | v.decVal.lo64;
      *out = FixedPointText(v.decVal.negative, magnitude, v.decVal.scale);
      return S_OK;
    }
    default:
      // NULL, binary (VT_ARRAY|VT_UI1), VT_ERROR and the rest have no text.
      return DISP_E_TYPEMISMATCH;
  }
}
