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

// The number of up to `most` digits at text[*i], moving *i past them; -1 for none.
int ReadNumber(std::string_view text, size_t* i, size_t most) {
  int n = 0;
  size_t start = *i;
  while (*i < text.size() && *i - start < most && text[*i] >= '0' && text[*i] <= '9') n = n * 10 + (text[(*i)++] - '0');
  return *i == start ? -1 : n;
}

}  // namespace

bool AppendIsoExtendedDate(std::string_view text, bool withTime, std::string* out) {
  size_t i = 0;
  int parts[6];
  const char after[6] = {'/', '/', ' ', ':', ':', '\0'};
  for (int k = 0; k < 6; ++k) {
    parts[k] = ReadNumber(text, &i, k == 0 ? 4 : 2);
    if (parts[k] < 0) return false;
    if (after[k] && (i >= text.size() || text[i++] != after[k])) return false;
  }
  std::string_view fraction;
  if (i < text.size()) {
    if (text[i] != '.' || i + 1 == text.size()) return false;
    fraction = text.substr(i + 1);
    for (char c : fraction)
      if (c < '0' || c > '9') return false;
  }
  char buf[32];
  char* p = PutDigits(buf, parts[0], 4);
  for (int k = 1; k < 6; ++k) {
    if (k == 3 && !withTime && fraction.empty() && parts[3] == 0 && parts[4] == 0 && parts[5] == 0) break;
    *p++ = k < 3 ? '-' : k == 3 ? ' ' : ':';
    p = PutDigits(p, parts[k], 2);
  }
  out->append(buf, static_cast<size_t>(p - buf));
  if (!fraction.empty()) out->append(1, '.').append(fraction);
  return true;
}

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
