// The VBA text functions. Positions and lengths count characters as VBA does: in
// UTF-16 units, so that a character beyond the Basic Multilingual Plane (an emoji)
// counts two, and a cut through its middle drops the stray half.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/jet/vba/Functions.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::u16string Units(const std::string& s);
std::string FromUnits(const std::u16string& units);

// Whether the text holds a character of two UTF-16 units (four UTF-8 bytes):
// when it does not, characters and units are one, and the byte walks serve.
bool HasPairs(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0xF0) return true;
  return false;
}

// Units [from, from + count) of the text, clamped to its length.
std::string UnitSlice(const std::string& s, int64_t from, int64_t count) {
  std::u16string u = Units(s);
  const int64_t size = static_cast<int64_t>(u.size());
  from = std::min(from, size);
  count = std::min(count, size - from);
  return FromUnits(u.substr(static_cast<size_t>(from), static_cast<size_t>(count)));
}

// A count argument: a number rounded as VBA does; false (and an error set) when
// it is no number or negative.
bool CountArg(sqlite3_context* ctx, sqlite3_value* v, int64_t* out, int64_t min = 0) {
  double d;
  if (!ValueNumber(v, &d)) { sqlite3_result_error(ctx, "Data type mismatch", -1); return false; }
  d = std::nearbyint(d);
  if (d < static_cast<double>(min) || d > 2147483647.0) {
    sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
    return false;
  }
  *out = static_cast<int64_t>(d);
  return true;
}

void Left(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  int64_t n;
  if (!CountArg(ctx, argv[1], &n)) return;
  if (HasPairs(s)) return ResultText(ctx, UnitSlice(s, 0, n));
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  ResultText(ctx, s.substr(0, static_cast<size_t>(ByteOffset(p, static_cast<int>(s.size()), n))));
}

void Right(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  int64_t n;
  if (!CountArg(ctx, argv[1], &n)) return;
  if (HasPairs(s)) {
    const int64_t units = static_cast<int64_t>(Units(s).size());
    return ResultText(ctx, UnitSlice(s, std::max<int64_t>(0, units - n), n));
  }
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  int64_t chars = CharCount(p, static_cast<int>(s.size()));
  int64_t skip = std::max<int64_t>(0, chars - n);
  ResultText(ctx, s.substr(static_cast<size_t>(ByteOffset(p, static_cast<int>(s.size()), skip))));
}

void Mid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  int64_t start, len = INT64_MAX;
  if (!CountArg(ctx, argv[1], &start, 1)) return;
  if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL && !CountArg(ctx, argv[2], &len)) return;
  if (HasPairs(s)) return ResultText(ctx, UnitSlice(s, start - 1, len));
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  int size = static_cast<int>(s.size());
  int from = ByteOffset(p, size, start - 1);
  int to = len == INT64_MAX ? size : from + ByteOffset(p + from, size - from, len);
  ResultText(ctx, s.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
}

void Len(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  int64_t pairs = 0;  // each four-byte character is a second unit
  for (unsigned char c : s) pairs += c >= 0xF0 ? 1 : 0;
  sqlite3_result_int64(ctx, CharCount(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size())) + pairs);
}

template <uint32_t (*Map)(uint32_t)>
void MapCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]), out;
  out.reserve(s.size());
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const unsigned char* e = p + s.size();
  while (p < e) AppendChar(Map(NextChar(p, e)), &out);
  ResultText(ctx, out);
}

template <bool kLeft, bool kRight>
void TrimSpaces(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  size_t a = 0, b = s.size();
  if (kLeft) while (a < b && s[a] == ' ') ++a;
  if (kRight) while (b > a && s[b - 1] == ' ') --b;
  ResultText(ctx, s.substr(a, b - a));
}

void Space(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t n;
  if (!CountArg(ctx, argv[0], &n) || !FitsLength(ctx, static_cast<double>(n))) return;
  ResultText(ctx, std::string(static_cast<size_t>(n), ' '));
}

// The UTF-16 units of a text, folded for case-blind searching unless `binary`
// (the halves of a pair are no letters and stay as they are).
std::u16string Folded(std::u16string units, bool binary) {
  if (!binary)
    for (char16_t& c : units)
      if (c < 0xD800 || c > 0xDFFF) c = static_cast<char16_t>(FoldChar(c));
  return units;
}
std::u16string SearchUnits(const std::string& s, bool binary) { return Folded(Units(s), binary); }

// InStr([start,] text, search [, compare]): the 1-based character position, 0 when
// absent. Text compares without regard to case unless compare is 0 (binary).
void InStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  int base = 0;
  int64_t start = 1;
  if (argc >= 3) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (!CountArg(ctx, argv[0], &start, 1)) return;
    base = 1;
  }
  if (sqlite3_value_type(argv[base]) == SQLITE_NULL || sqlite3_value_type(argv[base + 1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  bool binary = argc == 4 && sqlite3_value_type(argv[3]) != SQLITE_NULL && sqlite3_value_int(argv[3]) == 0;
  std::u16string text = SearchUnits(ValueText(argv[base]), binary);
  std::u16string search = SearchUnits(ValueText(argv[base + 1]), binary);
  if (static_cast<size_t>(start - 1) > text.size()) return sqlite3_result_int(ctx, 0);
  size_t at = text.find(search, static_cast<size_t>(start - 1));
  sqlite3_result_int64(ctx, at == std::u16string::npos ? 0 : static_cast<int64_t>(at) + 1);
}

void Chr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t n;
  if (!CountArg(ctx, argv[0], &n)) return;
  // VBA's characters are UTF-16 units; half of a surrogate pair is no text here.
  if (n > 0xFFFF || (n >= 0xD800 && n <= 0xDFFF)) return ErrorInvalidCall(ctx);
  std::string out;
  AppendChar(static_cast<uint32_t>(n), &out);
  ResultText(ctx, out);
}

void Asc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  if (s.empty()) return sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  sqlite3_result_int64(ctx, NextChar(p, p + s.size()));
}

// StrComp(a, b [, compare]): -1, 0 or 1; text compare (case-blind) unless 0.
void StrComp(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  std::string a = ValueText(argv[0]), b = ValueText(argv[1]);
  bool binary = argc == 3 && sqlite3_value_int(argv[2]) == 0;
  int c = binary ? a.compare(b) : CompareJetText(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  sqlite3_result_int(ctx, c < 0 ? -1 : c > 0 ? 1 : 0);
}

std::u32string Chars(const std::string& s);
std::string Utf8(const std::u32string& chars);

// Replace(text, find, with [, start [, count [, compare]]]): the text from `start`
// on, with `count` (-1: every) occurrences replaced; text compare unless 0.
void Replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double start = 1, count = -1, compare = 1;
  if (argc >= 4 && !NumberArg(ctx, argv[3], &start)) return;
  if (argc >= 5 && !NumberArg(ctx, argv[4], &count)) return;
  if (argc >= 6 && !NumberArg(ctx, argv[5], &compare)) return;
  start = std::nearbyint(start);
  count = std::nearbyint(count);
  if (start < 1 || count < -1) return ErrorInvalidCall(ctx);
  std::u16string text = Units(ValueText(argv[0])), with = Units(ValueText(argv[2]));
  if (start > static_cast<double>(text.size())) return ResultString(ctx, "");
  text.erase(0, static_cast<size_t>(start) - 1);
  bool binary = compare == 0;
  std::u16string hay = Folded(text, binary), needle = SearchUnits(ValueText(argv[1]), binary);
  std::u16string out;
  size_t pos = 0;
  for (size_t at; count != 0 && !needle.empty() && (at = hay.find(needle, pos)) != std::u16string::npos;
       pos = at + needle.size(), count -= count > 0 ? 1 : 0) {
    if (!FitsLength(ctx, 3.0 * static_cast<double>(out.size() + (at - pos) + with.size()))) return;
    out += text.substr(pos, at - pos) + with;
  }
  out += text.substr(pos);
  ResultString(ctx, FromUnits(out));
}

std::u32string Chars(const std::string& s) {
  std::u32string out;
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const unsigned char* e = p + s.size();
  while (p < e) out += NextChar(p, e);
  return out;
}

std::string Utf8(const std::u32string& chars) {
  std::string out;
  for (char32_t c : chars) AppendChar(c, &out);
  return out;
}

// InStrRev(text, search [, start [, compare]]): the position of the last match
// lying wholly within the first `start` characters (-1: the whole text).
void InStrRev(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double start = -1;
  if (argc >= 3 && !NumberArg(ctx, argv[2], &start)) return;
  start = std::nearbyint(start);
  if (start == 0 || start < -1) return ErrorInvalidCall(ctx);
  double compare = 1;
  if (argc == 4 && !NumberArg(ctx, argv[3], &compare)) return;
  bool binary = compare == 0;
  std::u16string text = SearchUnits(ValueText(argv[0]), binary), search = SearchUnits(ValueText(argv[1]), binary);
  size_t len = text.size();
  if (start > static_cast<double>(len)) return sqlite3_result_int(ctx, 0);
  size_t limit = start < 0 ? len : static_cast<size_t>(start);
  if (search.empty()) return sqlite3_result_int64(ctx, static_cast<int64_t>(limit));
  if (search.size() > limit) return sqlite3_result_int(ctx, 0);
  size_t at = text.substr(0, limit).rfind(search);
  sqlite3_result_int64(ctx, at == std::u16string::npos ? 0 : static_cast<int64_t>(at) + 1);
}

void StrReverse(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  std::u32string chars = Chars(ValueText(argv[0]));
  ResultString(ctx, Utf8(std::u32string(chars.rbegin(), chars.rend())));
}

// String(count, character): the character is a code or the first character of a text.
void StringOf(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t n;
  if (!CountArg(ctx, argv[0], &n)) return;
  uint32_t c;
  if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
    std::u32string chars = Chars(ValueText(argv[1]));
    if (chars.empty()) return ErrorInvalidCall(ctx);
    c = chars[0];
  } else {
    double code;
    if (!NumberArg(ctx, argv[1], &code)) return;
    code = std::nearbyint(code);
    if (code < 0 || code > 65535) return ErrorInvalidCall(ctx);
    c = static_cast<uint32_t>(code) % 256;  // String takes the code modulo 256, as VBA's
  }
  std::string one;
  AppendChar(c, &one);
  if (!FitsLength(ctx, static_cast<double>(one.size()) * static_cast<double>(n))) return;
  std::string out;
  out.reserve(one.size() * static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) out += one;
  ResultString(ctx, out);
}

bool IsWordBreak(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0;
}

// StrConv(text, conversion): 1 upper case, 2 lower case, 3 proper case, plus 4 / 8
// full-width / half-width ASCII, plus 16 / 32 Katakana / Hiragana. 64 and 128
// convert between code-page bytes and Unicode, which UTF-8 text has no use for.
void StrConv(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double conv;
  if (!NumberArg(ctx, argv[1], &conv)) return;
  conv = std::nearbyint(conv);
  if (conv < 0 || conv > 255) return ErrorInvalidCall(ctx);
  int c = static_cast<int>(conv);
  if ((c & 12) == 12 || (c & 48) == 48 || (c & 192)) return ErrorInvalidCall(ctx);
  std::u32string chars = Chars(ValueText(argv[0]));
  bool wordStart = true;
  for (char32_t& ch : chars) {
    if (c & 4 && ch >= 0x21 && ch <= 0x7E) ch += 0xFEE0;
    else if (c & 4 && ch == ' ') ch = 0x3000;
    else if (c & 8 && ch >= 0xFF01 && ch <= 0xFF5E) ch -= 0xFEE0;
    else if (c & 8 && ch == 0x3000) ch = ' ';
    if (c & 16 && ch >= 0x3041 && ch <= 0x3096) ch += 0x60;
    else if (c & 32 && ch >= 0x30A1 && ch <= 0x30F6) ch -= 0x60;
    switch (c & 3) {
      case 1: ch = UpperChar(ch); break;
      case 2: ch = FoldChar(ch); break;
      case 3: ch = wordStart ? UpperChar(ch) : FoldChar(ch); break;
      default: break;
    }
    wordStart = IsWordBreak(ch);
  }
  ResultString(ctx, Utf8(chars));
}

// The byte functions (LeftB, RightB, MidB, InStrB, ChrB) count the bytes of
// VBA's UTF-16 strings. A cut through the middle of a character, which would
// leave VBA a stray half, drops that half.
std::u16string Units(const std::string& s) {
  std::u16string out;
  for (char32_t c : Chars(s)) {
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string FromUnits(const std::u16string& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      continue;  // half of a pair: UTF-8 has no form for it
    AppendChar(c, &out);
  }
  return out;
}

// LeftB(text, bytes), RightB(text, bytes), MidB(text, start [, bytes]).
template <int kWhich>  // 0 left, 1 right, 2 mid
void ByteSlice(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::u16string u = Units(ValueText(argv[0]));
  int64_t bytes = static_cast<int64_t>(u.size()) * 2, from = 0, count = bytes;
  if (kWhich == 2) {
    if (!CountArg(ctx, argv[1], &from, 1)) return;
    --from;
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL && !CountArg(ctx, argv[2], &count)) return;
  } else {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (!CountArg(ctx, argv[1], &count)) return;
    if (kWhich == 1) from = std::max<int64_t>(0, bytes - count);
  }
  int64_t to = std::min(bytes, from + std::min(count, bytes));
  from = std::min(from, bytes);
  size_t first = static_cast<size_t>((from + 1) / 2), last = static_cast<size_t>(to / 2);
  ResultString(ctx, last > first ? FromUnits(u.substr(first, last - first)) : std::string());
}

// InStrB([start,] text, search): the byte position of the first match.
void InStrB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t start = 1;
  int base = argc == 3 ? 1 : 0;
  if (argc == 3 && !CountArg(ctx, argv[0], &start, 1)) return;
  std::u16string text = Units(ValueText(argv[base])), search = Units(ValueText(argv[base + 1]));
  size_t from = static_cast<size_t>(start / 2);
  if (from > text.size()) return sqlite3_result_int(ctx, 0);
  size_t at = text.find(search, from);
  sqlite3_result_int64(ctx, at == std::u16string::npos ? 0 : static_cast<int64_t>(at) * 2 + 1);
}

// ChrB(code): the character of a code below 256.
void ChrB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t n;
  if (!CountArg(ctx, argv[0], &n)) return;
  if (n > 255) return ErrorInvalidCall(ctx);
  std::string out;
  AppendChar(static_cast<uint32_t>(n), &out);
  ResultString(ctx, out);
}

// LenB: the bytes the text takes in VBA's UTF-16 strings.
void LenB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t units = 0;
  for (char32_t c : Chars(ValueText(argv[0]))) units += c >= 0x10000 ? 2 : 1;
  sqlite3_result_int64(ctx, units * 2);
}

// AscB: the first byte of the text in UTF-16 (little-endian, as VBA holds it).
void AscB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  std::u32string chars = Chars(ValueText(argv[0]));
  if (chars.empty()) return ErrorInvalidCall(ctx);
  uint32_t unit = chars[0] >= 0x10000 ? 0xD800 + ((chars[0] - 0x10000) >> 10) : chars[0];
  sqlite3_result_int(ctx, static_cast<int>(unit & 0xFF));
}

}  // namespace

std::vector<FunctionInfo> TextFunctions() {
  using T = ValueType;
  const ReturnType text = Returns(T::Text), integer = Returns(T::Integer), whole = Returns(T::Long);
  return {
      // Left, Right, Mid and Len count UTF-16 units, SQLite's substr() and length()
      // characters (apart beyond the BMP), and UCase and LCase fold every letter,
      // SQLite's upper() and lower() ASCII only: none of them has a portable form.
      Scalar("left", 2, 2, text, Left).Texts(kFirstText),
      Scalar("right", 2, 2, text, Right).Texts(kFirstText),
      Scalar("mid", 2, 3, text, Mid).Texts(kFirstText),
      Scalar("len", 1, 1, whole, Len).Texts(kFirstText),
      Scalar("ucase", 1, 1, text, MapCase<UpperChar>).Texts(kFirstText),
      Scalar("lcase", 1, 1, text, MapCase<FoldChar>).Texts(kFirstText),
      // SQLite's trims take off spaces only, as VBA's do.
      Scalar("trim", 1, 1, text, TrimSpaces<true, true>).Texts(kFirstText).Portable("trim"),
      Scalar("ltrim", 1, 1, text, TrimSpaces<true, false>).Texts(kFirstText).Portable("ltrim"),
      Scalar("rtrim", 1, 1, text, TrimSpaces<false, true>).Texts(kFirstText).Portable("rtrim"),
      Scalar("space", 1, 1, text, Space),
      // InStr([start, ]text, sought[, compare]): the texts move down without a start.
      Scalar("instr", 2, 4, whole, InStr).Texts(0b110, 3),
      Scalar("chr", 1, 1, text, Chr),
      Scalar("asc", 1, 1, integer, Asc).Texts(kFirstText),
      Scalar("strcomp", 2, 3, integer, StrComp).Texts(kFirstTwoTexts),
      Scalar("replace", 3, 6, text, Replace).Texts(kFirstThreeTexts),
      Scalar("ascw", 1, 1, integer, Asc).Texts(kFirstText),
      Scalar("chrw", 1, 1, text, Chr),
      Scalar("instrrev", 2, 4, whole, InStrRev).Texts(kFirstTwoTexts),
      Scalar("strreverse", 1, 1, text, StrReverse).Texts(kFirstText),
      Scalar("string", 2, 2, text, StringOf),
      Scalar("strconv", 2, 3, text, StrConv).Texts(kFirstText),
      Scalar("lenb", 1, 1, whole, LenB).Texts(kFirstText),
      Scalar("ascb", 1, 1, integer, AscB).Texts(kFirstText),
      Scalar("leftb", 2, 2, text, ByteSlice<0>).Texts(kFirstText),
      Scalar("rightb", 2, 2, text, ByteSlice<1>).Texts(kFirstText),
      Scalar("midb", 2, 3, text, ByteSlice<2>).Texts(kFirstText),
      Scalar("instrb", 2, 3, whole, InStrB).Texts(0b110, 3),
      Scalar("chrb", 1, 1, text, ChrB),
  };
}

}  // namespace jet::vba
