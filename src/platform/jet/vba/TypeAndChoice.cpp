// The VBA type-check and choice functions: IsNumeric, IsDate, IsEmpty, IsError,
// IsArray, IsObject, IsMissing, VarType, TypeName, Choose, Switch, and the
// function that labels the range a number falls in. A type check never fails
// and answers -1 (True) or 0 (False) for NULL as well.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "platform/jet/vba/DateParse.h"
#include "platform/com/OleDate.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

void ResultTruth(sqlite3_context* ctx, bool b) { sqlite3_result_int(ctx, b ? -1 : 0); }

bool Digit(char c, int base) {
  if (base == 16) return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  if (base == 8) return c >= '0' && c <= '7';
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A text VBA reads as a number: blanks around it, a sign before or after it or
// parentheses for a negative amount, a currency sign, thousands separators, a
// point, an exponent (E or D), or &H / &O followed by hex / octal digits.
bool NumericText(const std::string& text) {
  size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  std::string s = text.substr(a, b - a);
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    for (size_t i = 2; i < s.size(); ++i)
      if (!Digit(s[i], base)) return false;
    return true;
  }
  size_t i = 0, n = s.size();
  bool sign = false;
  if (i < n && s[i] == '(' && s.back() == ')') { ++i; --n; sign = true; }
  if (i < n && (s[i] == '+' || s[i] == '-')) { ++i; sign = true; }
  if (i < n && s[i] == '$') ++i;
  else if (s.compare(i, 2, "\xC2\xA5") == 0) i += 2;  // the yuan / yen sign
  if (!sign && i < n && (s[i] == '+' || s[i] == '-')) { ++i; sign = true; }
  int digits = 0;
  while (i < n && (Digit(s[i], 10) || (s[i] == ',' && digits))) digits += s[i++] != ',';
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && Digit(s[i], 10)) { ++i; ++digits; }
  }
  if (!digits) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    if (i >= n || !Digit(s[i], 10)) return false;
    while (i < n && Digit(s[i], 10)) ++i;
  }
  if (!sign && i < n && (s[i] == '+' || s[i] == '-')) ++i;
  return i == n;
}

void IsNumeric(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return ResultTruth(ctx, true);
    case SQLITE_TEXT: return ResultTruth(ctx, NumericText(ValueText(argv[0])));
    default: return ResultTruth(ctx, false);
  }
}

// Dates travel as REAL day numbers, so a REAL within the calendar counts as a
// date; a whole number (Integer, Long) does not, as in VBA.
void IsDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  double d;
  oledate::DateTime dt;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_FLOAT: return ResultTruth(ctx, oledate::FromOleDate(sqlite3_value_double(argv[0]), &dt));
    case SQLITE_TEXT: return ResultTruth(ctx, ParseJetDate(ValueText(argv[0]), &d) && oledate::FromOleDate(d, &dt));
    default: return ResultTruth(ctx, false);
  }
}

// A field's value is never Empty, an error value, an array or an object, and an
// argument in a statement is never missing.
void False(sqlite3_context* ctx, int, sqlite3_value**) { ResultTruth(ctx, false); }

// VarType and TypeName of the value as the statement holds it.
struct TypeInfo {
  int varType;
  const char* name;
};
TypeInfo TypeOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return {1, "Null"};
    case SQLITE_INTEGER: {
      sqlite3_int64 n = sqlite3_value_int64(v);
      return n >= INT32_MIN && n <= INT32_MAX ? TypeInfo{3, "Long"} : TypeInfo{5, "Double"};
    }
    case SQLITE_FLOAT: return {5, "Double"};
    case SQLITE_TEXT: return {8, "String"};
    default: return {8209, "Byte()"};
  }
}
void VarType(sqlite3_context* ctx, int, sqlite3_value** argv) { sqlite3_result_int(ctx, TypeOf(argv[0]).varType); }
void TypeName(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_text(ctx, TypeOf(argv[0]).name, -1, SQLITE_STATIC);
}

// The same four for a value whose type the translator knows, given as its VarType
// code (argv[1]): a date travels as a day number and a Yes/No as an integer, but
// VBA sees a Date and a Boolean.
constexpr int kVbDate = 7, kVbString = 8, kVbByteArray = 8209;
const char* TypeNameOf(int varType) {
  switch (varType) {
    case 2: return "Integer";
    case 3: return "Long";
    case 4: return "Single";
    case 5: return "Double";
    case 6: return "Currency";
    case kVbDate: return "Date";
    case kVbString: return "String";
    case 11: return "Boolean";
    case 14: return "Decimal";
    case 17: return "Byte";
    case kVbByteArray: return "Byte()";
    default: return "Variant";
  }
}
bool IsNullArg(sqlite3_value** argv) { return sqlite3_value_type(argv[0]) == SQLITE_NULL; }
int CodeArg(sqlite3_value** argv) { return sqlite3_value_int(argv[1]); }
void TypedVarType(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_int(ctx, IsNullArg(argv) ? 1 : CodeArg(argv));
}
void TypedTypeName(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_text(ctx, IsNullArg(argv) ? "Null" : TypeNameOf(CodeArg(argv)), -1, SQLITE_STATIC);
}
void TypedIsNumeric(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int code = CodeArg(argv);
  if (IsNullArg(argv) || code == kVbDate || code == kVbByteArray) return ResultTruth(ctx, false);
  if (code == kVbString) return IsNumeric(ctx, 1, argv);
  ResultTruth(ctx, true);
}
void TypedIsDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int code = CodeArg(argv);
  if (IsNullArg(argv)) return ResultTruth(ctx, false);
  if (code == kVbDate) return ResultTruth(ctx, true);
  if (code == kVbString) return IsDate(ctx, 1, argv);
  ResultTruth(ctx, false);  // a number is no date in VBA, whatever its value
}

// Choose(index, choice1, choice2, ...): the index rounded to a whole; NULL when
// it names no choice.
void Choose(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2) return sqlite3_result_error(ctx, "wrong number of arguments", -1);
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double i;
  if (!NumberArg(ctx, argv[0], &i)) return;
  i = std::nearbyint(i);
  if (i < 1 || i > argc - 1) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, argv[static_cast<int>(i)]);
}

// Switch(condition1, value1, condition2, value2, ...): the value after the first
// true condition; NULL when none is.
void Switch(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2 || argc % 2) return sqlite3_result_error(ctx, "wrong number of arguments", -1);
  for (int i = 0; i < argc; i += 2) {
    double d;
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
    if (!NumberArg(ctx, argv[i], &d)) return;
    if (d != 0) return sqlite3_result_value(ctx, argv[i + 1]);
  }
  sqlite3_result_null(ctx);
}

std::string Padded(int64_t n, size_t width) {
  std::string s = std::to_string(n);
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

// Labels the range of width interval, counted from start up to stop, that holds
// number, as "lower:upper", each side as wide as stop's digits plus one; below start
// "   :start-1", above stop "stop+1:   ".
void RangeLabel(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double v[4];
  for (int i = 0; i < 4; ++i) {
    if (!NumberArg(ctx, argv[i], &v[i])) return;
    v[i] = i == 0 ? std::trunc(v[i]) : std::nearbyint(v[i]);
  }
  if (v[1] < 0 || v[2] <= v[1] || v[3] < 1 || std::fabs(v[0]) > 2147483647.0 || v[2] > 2147483646.0)
    return ErrorInvalidCall(ctx);
  auto n = static_cast<int64_t>(v[0]), start = static_cast<int64_t>(v[1]);
  // An interval wider than the whole range is one range.
  auto stop = static_cast<int64_t>(v[2]), interval = static_cast<int64_t>(std::min(v[3], v[2] - v[1] + 1));
  size_t width = std::max(std::to_string(stop).size() + 1, std::to_string(start - 1).size());
  std::string out;
  if (n < start) {
    out = std::string(width, ' ') + ":" + Padded(start - 1, width);
  } else if (n > stop) {
    out = Padded(stop + 1, width) + ":" + std::string(width, ' ');
  } else {
    int64_t lower = start + (n - start) / interval * interval;
    out = Padded(lower, width) + ":" + Padded(std::min(lower + interval - 1, stop), width);
  }
  ResultString(ctx, out);
}

}  // namespace

std::vector<FunctionInfo> TypeAndChoiceFunctions() {
  using T = ValueType;
  const ReturnType truth = Returns(T::Boolean);
  return {
      Scalar("isnumeric", 1, 1, truth, IsNumeric), Scalar("isdate", 1, 1, truth, IsDate),
      // Nothing a statement gives is Empty, an error, an array, an object or missing.
      Scalar("isempty", 1, 1, truth, False), Scalar("iserror", 1, 1, truth, False),
      Scalar("isarray", 1, 1, truth, False), Scalar("isobject", 1, 1, truth, False),
      Scalar("ismissing", 1, 1, truth, False),
      Scalar("vartype", 1, 1, Returns(T::Integer), VarType),
      Scalar("typename", 1, 1, Returns(T::Text), TypeName),
      // The same given the VarType code the translator knows (kTypedPrefix).
      Internal("typedvartype", 2, 2, TypedVarType),
      Internal("typedtypename", 2, 2, TypedTypeName),
      Internal("typedisnumeric", 2, 2, TypedIsNumeric),
      Internal("typedisdate", 2, 2, TypedIsDate),
      // Any count of arguments, checked in the body; the type of the branches.
      Scalar("choose", 0, -1, ReturnsArguments(1, 1), Choose),
      Scalar("switch", 0, -1, ReturnsArguments(1, 2), Switch),
      Scalar("partition", 4, 4, Returns(T::Text), RangeLabel),
  };
}

}  // namespace jet::vba
