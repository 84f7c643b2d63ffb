#include "platform/jet/vba/Util.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/com/ExactKey.h"
#include "platform/com/RealText.h"
#include "platform/jet/vba/DateParse.h"

namespace jet::vba {

uint32_t NextChar(const unsigned char*& p, const unsigned char* end) {
  unsigned char c = *p;
  int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? (c < 0xF0 ? 2 : 0) : c >= 0xC0 ? 1 : 0;
  if (extra == 0 || end - p <= extra) { ++p; return c; }
  uint32_t cp = c & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) { ++p; return c; }
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  p += extra + 1;
  return cp;
}

void AppendChar(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    *out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out += static_cast<char>(0xC0 | (cp >> 6));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += static_cast<char>(0xE0 | (cp >> 12));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (cp >> 18));
    *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

uint32_t FoldChar(uint32_t cp) {
  if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  if (cp >= 0x100 && cp <= 0x137) return cp | 1;
  if (cp >= 0x139 && cp <= 0x148) return (cp & 1) ? cp + 1 : cp;
  if (cp >= 0x14A && cp <= 0x177) return cp | 1;
  if (cp == 0x178) return 0xFF;
  if (cp >= 0x179 && cp <= 0x17E) return (cp & 1) ? cp + 1 : cp;
  if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 32;
  if (cp == 0x3C2) return 0x3C3;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 32;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 80;
  if (cp >= 0xFF21 && cp <= 0xFF3A) return cp + 32;
  return cp;
}

uint32_t UpperChar(uint32_t cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
  if (cp == 0xFF) return 0x178;
  if (cp >= 0x100 && cp <= 0x137) return cp & ~1u;
  if (cp >= 0x139 && cp <= 0x148) return (cp & 1) ? cp : cp - 1;
  if (cp >= 0x14A && cp <= 0x177) return cp & ~1u;
  if (cp >= 0x179 && cp <= 0x17E) return (cp & 1) ? cp : cp - 1;
  if (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2) return cp - 32;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 32;
  if (cp >= 0x450 && cp <= 0x45F) return cp - 80;
  if (cp >= 0xFF41 && cp <= 0xFF5A) return cp - 32;
  return cp;
}

int64_t CharCount(const unsigned char* p, int len) {
  int64_t n = 0;
  const unsigned char* end = p + len;
  while (p < end) { NextChar(p, end); ++n; }
  return n;
}

int ByteOffset(const unsigned char* p, int len, int64_t chars) {
  const unsigned char* start = p;
  const unsigned char* end = p + len;
  while (p < end && chars > 0) { NextChar(p, end); --chars; }
  return static_cast<int>(p - start);
}

bool ExactBlob(sqlite3_value* v, Exact* out) {
  return ExactOfKey(sqlite3_value_blob(v), static_cast<size_t>(sqlite3_value_bytes(v)), out);
}

std::string ValueText(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return DoubleText(sqlite3_value_double(v));
    case SQLITE_NULL:
      return "";
    case SQLITE_BLOB:
      if (Exact e; ExactBlob(v, &e)) return e.Text();
      [[fallthrough]];
    default: {
      const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return t ? std::string(t, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string();
    }
  }
}

bool ValueNumber(sqlite3_value* v, double* out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      *out = sqlite3_value_double(v);
      return true;
    case SQLITE_FLOAT:  // SQLite's arithmetic may overflow to infinity, which VBA has not
      *out = sqlite3_value_double(v);
      return std::isfinite(*out);
    case SQLITE_TEXT: {
      std::string t = ValueText(v), t2;
      const char* s = t.c_str();
      while (*s == ' ') ++s;
      if (!*s) return false;
      char* end = nullptr;
      double d;
      if (s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o') && s[2]) {
        // VBA's &H1F and &O17; as an Integer or a Long, the top bit is the sign.
        long long n = std::strtoll(s + 2, &end, (s[1] == 'H' || s[1] == 'h') ? 16 : 8);
        if (n > 0xFFFFFFFFLL || n < 0) return false;
        d = static_cast<double>(n <= 0xFFFF ? (n > 0x7FFF ? n - 0x10000 : n) : n > 0x7FFFFFFF ? n - 0x100000000LL : n);
      } else {
        // strtod would also read C's hex forms and "inf"; VBA reads decimals only.
        for (const char* p = s; *p; ++p)
          if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I') return false;
        // VBA takes the thousands separator in the whole part ("1,234.5"), after a digit.
        if (std::strchr(s, ',')) {
          bool whole = true, digit = false;
          for (const char* p = s; *p; ++p) {
            if (*p == ',' && whole && digit) continue;
            if (*p == '.' || *p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') whole = false;
            digit = digit || (*p >= '0' && *p <= '9');
            t2 += *p;
          }
          s = t2.c_str();
        }
        d = std::strtod(s, &end);
      }
      while (end && *end == ' ') ++end;
      if (!end || *end || !std::isfinite(d)) return false;
      *out = d;
      return true;
    }
    case SQLITE_BLOB:
      if (Exact e; ExactBlob(v, &e)) return *out = e.ToDouble(), true;
      return false;
    default:
      return false;
  }
}

bool ValueDate(sqlite3_value* v, double* out) {
  if (sqlite3_value_type(v) == SQLITE_TEXT && ParseJetDate(ValueText(v), out)) return true;
  return ValueNumber(v, out);
}

void ResultWhole(sqlite3_context* ctx, double value) {
  if (value >= -2147483648.0 && value <= 2147483647.0)
    sqlite3_result_int64(ctx, static_cast<int64_t>(value));
  else
    sqlite3_result_double(ctx, value);
}

void ResultString(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}
void ErrorMismatch(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Data type mismatch", -1); }
void ErrorInvalidCall(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Invalid procedure call or argument", -1); }
void ErrorOverflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Overflow", -1); }

bool HasNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

bool FitsLength(sqlite3_context* ctx, double bytes) {
  if (bytes <= sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LENGTH, -1)) return true;
  sqlite3_result_error_toobig(ctx);
  return false;
}

bool NumberArg(sqlite3_context* ctx, sqlite3_value* v, double* out) {
  if (ValueNumber(v, out)) return true;
  ErrorMismatch(ctx);
  return false;
}

}  // namespace jet::vba
