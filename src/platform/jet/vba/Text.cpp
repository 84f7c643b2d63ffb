// The VBA text functions. Positions and lengths count characters, not bytes.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/jet/vba/Functions.h"
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
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  ResultText(ctx, s.substr(0, static_cast<size_t>(ByteOffset(p, static_cast<int>(s.size()), n))));
}

void Right(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  int64_t n;
  if (!CountArg(ctx, argv[1], &n)) return;
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
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  int size = static_cast<int>(s.size());
  int from = ByteOffset(p, size, start - 1);
  int to = len == INT64_MAX ? size : from + ByteOffset(p + from, size - from, len);
  ResultText(ctx, s.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
}

void Len(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = ValueText(argv[0]);
  sqlite3_result_int64(ctx, CharCount(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size())));
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
  if (!CountArg(ctx, argv[0], &n)) return;
  ResultText(ctx, std::string(static_cast<size_t>(n), ' '));
}

// The folded characters of a text, for case-blind searching.
std::u32string Folded(const std::string& s) {
  std::u32string out;
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const unsigned char* e = p + s.size();
  while (p < e) out += FoldChar(NextChar(p, e));
  return out;
}

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
  std::u32string text, search;
  if (binary) {
    std::string t = ValueText(argv[base]), q = ValueText(argv[base + 1]);
    auto chars = [](const std::string& s) {
      std::u32string out;
      auto* p = reinterpret_cast<const unsigned char*>(s.data());
      const unsigned char* e = p + s.size();
      while (p < e) out += NextChar(p, e);
      return out;
    };
    text = chars(t);
    search = chars(q);
  } else {
    text = Folded(ValueText(argv[base]));
    search = Folded(ValueText(argv[base + 1]));
  }
  if (static_cast<size_t>(start - 1) > text.size()) return sqlite3_result_int(ctx, 0);
  size_t at = text.find(search, static_cast<size_t>(start - 1));
  sqlite3_result_int64(ctx, at == std::u32string::npos ? 0 : static_cast<int64_t>(at) + 1);
}

void Chr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t n;
  if (!CountArg(ctx, argv[0], &n)) return;
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

void Replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(3, argv)) return sqlite3_result_null(ctx);
  (void)argc;
  std::string s = ValueText(argv[0]), find = ValueText(argv[1]), with = ValueText(argv[2]);
  if (find.empty()) return ResultText(ctx, s);
  std::string out;
  size_t pos = 0;
  for (size_t at; (at = s.find(find, pos)) != std::string::npos; pos = at + find.size())
    out += s.substr(pos, at - pos) + with;
  out += s.substr(pos);
  ResultText(ctx, out);
}

void Add(sqlite3* db, const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
  sqlite3_create_function(db, name, args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr, nullptr);
}

}  // namespace

void RegisterTextFunctions(sqlite3* db) {
  Add(db, "vba_left", 2, Left);
  Add(db, "vba_right", 2, Right);
  Add(db, "vba_mid", 2, Mid);
  Add(db, "vba_mid", 3, Mid);
  Add(db, "vba_len", 1, Len);
  Add(db, "vba_ucase", 1, MapCase<UpperChar>);
  Add(db, "vba_lcase", 1, MapCase<FoldChar>);
  Add(db, "vba_trim", 1, TrimSpaces<true, true>);
  Add(db, "vba_ltrim", 1, TrimSpaces<true, false>);
  Add(db, "vba_rtrim", 1, TrimSpaces<false, true>);
  Add(db, "vba_space", 1, Space);
  Add(db, "vba_instr", 2, InStr);
  Add(db, "vba_instr", 3, InStr);
  Add(db, "vba_instr", 4, InStr);
  Add(db, "vba_chr", 1, Chr);
  Add(db, "vba_asc", 1, Asc);
  Add(db, "vba_strcomp", 2, StrComp);
  Add(db, "vba_strcomp", 3, StrComp);
  Add(db, "vba_replace", 3, Replace);
}

}  // namespace jet::vba
