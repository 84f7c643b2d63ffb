// The VBA conversion and choice functions: IIf, Nz, IsNull, CStr, CLng, CInt,
// CDbl, CSng, CBool, CByte, CVar, CDec, Val, Str, Hex, Oct, Int, Fix, Round, Sgn, Abs.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com/RealText.h"
#include "platform/jet/vba/FunctionTable.h"
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

}  // namespace

std::vector<FunctionInfo> ConversionFunctions() {
  using T = ValueType;
  const ReturnType numeric{T::Numeric, 0, 0, false};
  return {
      // IIf and Nz: the type of their branches.
      Scalar("iif", 3, 3, ReturnsArguments(1, 1), IIf),
      // Nz of one argument is "" or 0 by where it stands: no portable form.
      Scalar("nz", 1, 2, ReturnsArguments(0, 1), Nz).Portable("ifnull(%1, %2)"),
      Scalar("isnull", 1, 1, Returns(T::Boolean), IsNull).Portable("(%1 IS NULL)"),
      Scalar("cstr", 1, 1, Returns(T::Text), CStr),
      Scalar("clng", 1, 1, Returns(T::Long), CWhole<-2147483648LL, 2147483647LL>),
      Scalar("cint", 1, 1, Returns(T::Integer), CWhole<-32768, 32767>),
      Scalar("cbyte", 1, 1, Returns(T::Byte), CWhole<0, 255>),
      Scalar("cvar", 1, 1, ReturnsArguments(0, 0), CVar),
      Scalar("cdec", 1, 1, Returns(T::Decimal), CDec),
      Scalar("hex", 1, 1, Returns(T::Text), Radix<16>),
      Scalar("oct", 1, 1, Returns(T::Text), Radix<8>),
      Scalar("str", 1, 1, Returns(T::Text), Str),
      Scalar("cdbl", 1, 1, Returns(T::Double), CDbl),
      Scalar("ccur", 1, 1, Returns(T::Currency), CCur),
      Scalar("csng", 1, 1, Returns(T::Single), CSng),
      Scalar("cbool", 1, 1, Returns(T::Boolean), CBool),
      Scalar("val", 1, 1, Returns(T::Double), Val).Texts(kFirstText),
      // Abs, Int, Fix and Round: the numeric type of their argument. (SQLite's
      // abs() and round() differ at an Integer's edge and in rounding halves.)
      Scalar("int", 1, 1, numeric, Whole<Floor>),
      Scalar("fix", 1, 1, numeric, Whole<Trunc>),
      Scalar("round", 1, 2, numeric, Round),
      Scalar("sgn", 1, 1, Returns(T::Integer), Sgn),
      Scalar("abs", 1, 1, numeric, Abs),
  };
}

}  // namespace jet::vba
