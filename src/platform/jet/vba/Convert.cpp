// The VBA conversion and choice functions: IIf, Nz, IsNull, CStr, CLng, CInt,
// CDbl, CSng, CBool, CByte, CVar, CDec, Val, Str, Hex, Oct, Int, Fix, Round, Sgn, Abs.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com/RealText.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

void Mismatch(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Data type mismatch", -1); }
void Overflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Overflow", -1); }

// VBA's truth: a non-zero number; NULL and zero are false.
bool Truth(sqlite3_value* v) {
  double d;
  return sqlite3_value_type(v) != SQLITE_NULL && ValueNumber(v, &d) && d != 0;
}

void IIf(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_value(ctx, Truth(argv[0]) ? argv[1] : argv[2]);
}

void Nz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_NULL) return sqlite3_result_value(ctx, argv[0]);
  if (argc == 2) return sqlite3_result_value(ctx, argv[1]);
  sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void IsNull(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

void CStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// CLng and CInt round half to even, as VBA does, and refuse what does not fit.
template <int64_t kMin, int64_t kMax>
void CWhole(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  d = std::nearbyint(d);
  if (d < static_cast<double>(kMin) || d > static_cast<double>(kMax)) return Overflow(ctx);
  sqlite3_result_int64(ctx, static_cast<int64_t>(d));
}

void CDbl(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_double(ctx, d);
}

// CCur: the amount rounded half to even at 4 decimals, as Currency holds it. The
// rounding goes by the Double's exact value: d * 10000 in doubles can round onto a
// half (2.98125, stored a little above, times 10000 gives 29812.5 and then
// 2.9812) where the exact product lies above it, and Jet gives 2.9813.
void CCur(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  if (std::fabs(d) > 922337203685477.0) return Overflow(ctx);
  const double scaled = d * 10000.0;
  const double error = std::fma(d, 10000.0, -scaled);  // the exact product is scaled + error
  double whole = std::nearbyint(scaled);
  if (std::fabs(scaled - whole) == 0.5 && error != 0) whole = error > 0 ? std::ceil(scaled) : std::floor(scaled);
  sqlite3_result_double(ctx, whole / 10000.0);
}

void CSng(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_double(ctx, static_cast<double>(static_cast<float>(d)));
}

void CBool(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string t = ValueText(argv[0]);
  double d;
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && t == "true") return sqlite3_result_int(ctx, -1);
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && t == "false") return sqlite3_result_int(ctx, 0);
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_int(ctx, d != 0 ? -1 : 0);
}

// Val: the number at the start of a text, blanks ignored; 0 when there is none.
void Val(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return Mismatch(ctx);
  std::string s = ValueText(argv[0]), digits;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') digits += c;
  const char* p = digits.c_str();
  if (p[0] == '&' && (p[1] == 'H' || p[1] == 'h' || p[1] == 'O' || p[1] == 'o')) {
    // &H1F and &O17: as many hex / octal digits as follow.
    const bool hex = p[1] == 'H' || p[1] == 'h';
    size_t n = 2;
    auto digit = [&](char c) { return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : c >= '0' && c <= '7'; };
    while (n < digits.size() && digit(p[n])) ++n;
    double d = n > 2 ? static_cast<double>(std::strtoll(digits.substr(2, n - 2).c_str(), nullptr, hex ? 16 : 8)) : 0;
    return sqlite3_result_double(ctx, d);
  }
  // strtod would read hex and "inf"; Val reads plain decimals only.
  size_t n = 0;
  if (p[n] == '+' || p[n] == '-') ++n;
  size_t mantissa = n;
  while (std::isdigit(static_cast<unsigned char>(p[n]))) ++n;
  if (p[n] == '.') { ++n; while (std::isdigit(static_cast<unsigned char>(p[n]))) ++n; }
  if (n > mantissa && (p[n] == 'e' || p[n] == 'E' || p[n] == 'd' || p[n] == 'D')) {
    size_t k = n + 1;
    if (p[k] == '+' || p[k] == '-') ++k;
    if (std::isdigit(static_cast<unsigned char>(p[k]))) {
      n = k;
      while (std::isdigit(static_cast<unsigned char>(p[n]))) ++n;
    }
  }
  std::string number = digits.substr(0, n);
  for (char& c : number)
    if (c == 'd' || c == 'D') c = 'e';
  double d = number.empty() ? 0 : std::strtod(number.c_str(), nullptr);
  sqlite3_result_double(ctx, d);
}

template <double (*Fn)(double)>
void Whole(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (type == SQLITE_INTEGER) return sqlite3_result_value(ctx, argv[0]);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_double(ctx, Fn(d));
}

// Round(x [, digits]): half to even, as VBA's Round.
void Round(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  int digits = argc == 2 ? sqlite3_value_int(argv[1]) : 0;
  if (digits < 0 || digits > 22) return sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
  double scale = std::pow(10.0, digits);
  double r = std::nearbyint(d * scale) / scale;
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_value(ctx, argv[0]);
  sqlite3_result_double(ctx, r);
}

void Sgn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_int(ctx, d > 0 ? 1 : d < 0 ? -1 : 0);
}

void Abs(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (type == SQLITE_INTEGER && sqlite3_value_int64(argv[0]) != INT64_MIN)
    return sqlite3_result_int64(ctx, std::llabs(sqlite3_value_int64(argv[0])));
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_double(ctx, std::fabs(d));
}

// CVar and CDec keep the value (CDec's 28 digits are more than a Double holds);
// text becomes a number for CDec.
void CVar(sqlite3_context* ctx, int, sqlite3_value** argv) { sqlite3_result_value(ctx, argv[0]); }

void CDec(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (type == SQLITE_INTEGER) return sqlite3_result_value(ctx, argv[0]);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_double(ctx, d);
}

// Hex and Oct: the number rounded to a whole (half to even); a negative one in
// two's complement of 16 bits when it fits an Integer, else of 32 bits.
template <int kBase>
void Radix(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  d = std::nearbyint(d);
  if (d < -2147483648.0 || d > 4294967295.0) return Overflow(ctx);
  auto n = static_cast<int64_t>(d);
  uint64_t bits = n >= 0 ? static_cast<uint64_t>(n) : n >= -32768 ? static_cast<uint64_t>(n + 65536)
                                                                   : static_cast<uint64_t>(n + 4294967296LL);
  char buf[32];
  std::snprintf(buf, sizeof buf, kBase == 16 ? "%llX" : "%llo", static_cast<unsigned long long>(bits));
  sqlite3_result_text(ctx, buf, -1, SQLITE_TRANSIENT);
}

// Str: the number's text with a leading blank where a minus sign would stand,
// and no zero before the point.
void Str(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueNumber(argv[0], &d)) return Mismatch(ctx);
  std::string t = sqlite3_value_type(argv[0]) == SQLITE_INTEGER ? ValueText(argv[0]) : DoubleText(d);
  if (t[0] != '-') t.insert(t.begin(), ' ');
  if (t.compare(1, 2, "0.") == 0) t.erase(1, 1);  // Str(0.5) is " .5"
  sqlite3_result_text(ctx, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
}

double Floor(double d) { return std::floor(d); }
double Trunc(double d) { return std::trunc(d); }

void Add(sqlite3* db, const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
  sqlite3_create_function(db, name, args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr, nullptr);
}

}  // namespace

void RegisterConversionFunctions(sqlite3* db) {
  Add(db, "vba_iif", 3, IIf);
  Add(db, "vba_nz", 1, Nz);
  Add(db, "vba_nz", 2, Nz);
  Add(db, "vba_isnull", 1, IsNull);
  Add(db, "vba_cstr", 1, CStr);
  Add(db, "vba_clng", 1, CWhole<-2147483648LL, 2147483647LL>);
  Add(db, "vba_cint", 1, CWhole<-32768, 32767>);
  Add(db, "vba_cbyte", 1, CWhole<0, 255>);
  Add(db, "vba_cvar", 1, CVar);
  Add(db, "vba_cdec", 1, CDec);
  Add(db, "vba_hex", 1, Radix<16>);
  Add(db, "vba_oct", 1, Radix<8>);
  Add(db, "vba_str", 1, Str);
  Add(db, "vba_cdbl", 1, CDbl);
  Add(db, "vba_ccur", 1, CCur);
  Add(db, "vba_csng", 1, CSng);
  Add(db, "vba_cbool", 1, CBool);
  Add(db, "vba_val", 1, Val);
  Add(db, "vba_int", 1, Whole<Floor>);
  Add(db, "vba_fix", 1, Whole<Trunc>);
  Add(db, "vba_round", 1, Round);
  Add(db, "vba_round", 2, Round);
  Add(db, "vba_sgn", 1, Sgn);
  Add(db, "vba_abs", 1, Abs);
}

}  // namespace jet::vba
