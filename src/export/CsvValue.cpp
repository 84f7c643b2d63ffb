#include "export/CsvValue.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include "platform/com/OleDate.h"

namespace {

// std::to_chars' shortest round-trip form, with the exponent written as JSON and
// most readers prefer it: 1e+20 -> 1e20. NaN and the infinities as "nan", "inf".
template <class Real>
char* PutShortest(Real value, char* p) {
  char* end = std::to_chars(p, p + 40, value).ptr;
  char* plus = std::find(p, end, '+');
  if (plus != end) {
    std::memmove(plus, plus + 1, static_cast<size_t>(end - plus - 1));
    --end;
  }
  return end;
}

char* PutDigits(char* p, int n, int width) {
  for (int i = width - 1; i >= 0; --i, n /= 10) p[i] = static_cast<char>('0' + n % 10);
  return p + width;
}

// yyyy-mm-dd, then " hh:mm:ss" unless the time is midnight; nullptr outside the
// calendar.
char* PutIsoDate(double value, char* p) {
  oledate::DateTime t;
  if (!oledate::FromOleDate(value, &t)) return nullptr;
  p = PutDigits(p, t.year, 4);
  *p++ = '-';
  p = PutDigits(p, t.month, 2);
  *p++ = '-';
  p = PutDigits(p, t.day, 2);
  if (t.hour == 0 && t.minute == 0 && t.second == 0) return p;
  *p++ = ' ';
  p = PutDigits(p, t.hour, 2);
  *p++ = ':';
  p = PutDigits(p, t.minute, 2);
  *p++ = ':';
  return PutDigits(p, t.second, 2);
}

}  // namespace

HRESULT PutCsvText(const VARIANT& v, char* buf, char** end) {
  switch (v.vt) {
    case VT_R4: *end = PutShortest(v.fltVal, buf); return S_OK;
    case VT_R8: *end = PutShortest(v.dblVal, buf); return S_OK;
    case VT_DATE:
      *end = PutIsoDate(v.date, buf);
      return *end ? S_OK : E_INVALIDARG;
    case VT_BOOL: {
      const char* text = v.boolVal == VARIANT_FALSE ? "false" : "true";
      const size_t n = std::strlen(text);
      std::memcpy(buf, text, n);
      *end = buf + n;
      return S_OK;
    }
    default:
      // Integers, Currency and Decimal: the window's text is already exact.
      return PutVariantText(v, buf, end);
  }
}
