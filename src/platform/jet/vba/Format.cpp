// Format and its named relatives (FormatNumber, FormatCurrency, FormatPercent,
// FormatDateTime). A format is a named one ("Currency", "Short Date", ...) or a
// pattern of up to four sections separated by ';': numbers (0 # . , % E+ E-),
// dates and times (d m y q w h n s, AM/PM, c, ttttt) or text (@ & < > !).
// The regional choices are the ones the program's date texts already use:
// dates as yyyy/m/d, the long date with 年月日, the yuan sign, '.' and ','.
// The patterns themselves are read in FormatNumber.cpp and FormatDate.cpp.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/RealText.h"
#include "platform/jet/vba/Calendar.h"
#include "platform/jet/vba/DateParse.h"
#include "platform/jet/vba/FormatPatterns.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

const char kCurrencySign[] = "\xC2\xA5";  // ¥

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The sections of a pattern, split at ';' outside quotes and escapes.
std::vector<std::string> Sections(const std::string& f) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '\\' && i + 1 < f.size()) {
      out.back() += f.substr(i, 2);
      ++i;
      continue;
    }
    if (!quoted && c == ';') { out.emplace_back(); continue; }
    out.back() += c;
  }
  return out;
}

// What a pattern formats, judged by its placeholders outside quotes.
enum class Kind { Number, Date, Text };
Kind KindOf(const std::string& f) {
  bool date = false, number = false, text = false;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    if (c == '"') {
      i = f.find('"', i + 1);
      if (i == std::string::npos) break;
    } else if (c == '\\') {
      ++i;
    } else if (c == '0' || c == '#') {
      number = true;
    } else if (c == '@' || c == '&' || c == '<' || c == '>' || c == '!') {
      text = true;
    } else if (std::strchr("dmyqwhnsct", c) || Lower(f.substr(i, 5)) == "am/pm" || Lower(f.substr(i, 3)) == "a/p") {
      date = true;
    }
  }
  if (number) return Kind::Number;
  if (date) return Kind::Date;
  return text ? Kind::Text : Kind::Number;
}

// Text patterns: @ a character or a blank, & a character or nothing, filled from
// the right unless ! asks for the left; < and > lower / upper case the text.
std::string FormatText(const std::string& text, const std::string& f) {
  std::vector<std::pair<char, std::string>> pieces;  // '@', '&' or 'L' with its text
  bool left = false;
  int caseMap = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '@' || c == '&') pieces.push_back({c, ""});
    else if (c == '!') left = true;
    else if (c == '<') caseMap = -1;
    else if (c == '>') caseMap = 1;
    else if (c == '"') {
      size_t j = f.find('"', i + 1);
      if (j == std::string::npos) j = f.size();
      pieces.push_back({'L', f.substr(i + 1, j - i - 1)});
      i = j;
    } else if (c == '\\') {
      if (i + 1 < f.size()) pieces.push_back({'L', f.substr(++i, 1)});
    } else {
      pieces.push_back({'L', std::string(1, c)});
    }
  }
  std::vector<std::string> chars;
  auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* e = p + text.size();
  while (p < e) {
    uint32_t cp = NextChar(p, e);
    if (caseMap) cp = caseMap > 0 ? UpperChar(cp) : FoldChar(cp);
    std::string one;
    AppendChar(cp, &one);
    chars.push_back(one);
  }
  size_t slots = 0;
  for (const auto& piece : pieces) slots += piece.first != 'L';
  // Which character each slot shows: the text's last characters fill the last
  // slots (or its first the first, with !); what does not fit goes to the
  // first slot (the last, with !).
  std::vector<std::string> fill(slots);
  size_t extra = chars.size() > slots ? chars.size() - slots : 0;
  std::string overflow;
  for (size_t k = 0; k < chars.size(); ++k) {
    if (left) {
      if (k < slots) fill[k] = chars[k];
      else overflow += chars[k];
    } else if (k < extra) {
      overflow += chars[k];
    } else {
      fill[slots - (chars.size() - k)] = chars[k];
    }
  }
  std::string out;
  size_t slot = 0;
  for (const auto& piece : pieces) {
    if (piece.first == 'L') { out += piece.second; continue; }
    if (!left && slot == 0) out += overflow;
    if (!fill[slot].empty()) out += fill[slot];
    else if (piece.first == '@') out += ' ';
    ++slot;
    if (left && slot == slots) out += overflow;
  }
  if (slots == 0) out += overflow;
  return out;
}

// ---- Format --------------------------------------------------------------------

// The named formats; false when `name` is none of them.
bool NamedFormat(const std::string& name, double d, std::string* out) {
  static const struct { const char* name; const char* pattern; } kNumberNames[] = {
      {"currency", "\xC2\xA5#,##0.00"}, {"fixed", "0.00"}, {"standard", "#,##0.00"},
      {"percent", "0.00%"}, {"scientific", "0.00E+00"}};
  static const struct { const char* name; const char* pattern; } kDateNames[] = {
      {"long date", kLongDate},   {"medium date", "yy-mmm-dd"}, {"short date", kShortDate},
      {"long time", kLongTime},   {"medium time", "hh:nn AM/PM"}, {"short time", "hh:nn"}};
  static const struct { const char* name; const char* yes; const char* no; } kTruths[] = {
      {"yes/no", "Yes", "No"}, {"true/false", "True", "False"}, {"on/off", "On", "Off"}};
  for (const auto& n : kNumberNames)
    if (name == n.name) {
      // The negative amount keeps the currency sign before its minus: ¥-1.00.
      std::string body = FormatNumberPattern(std::fabs(d), {n.pattern});
      if (d < 0 && body.find_first_of("123456789") != std::string::npos) {
        size_t at = name == "currency" ? sizeof kCurrencySign - 1 : 0;
        body.insert(at, "-");
      }
      *out = body;
      return true;
    }
  for (const auto& n : kDateNames)
    if (name == n.name) { *out = FormatDate(d, n.pattern, 1, 1); return true; }
  for (const auto& n : kTruths)
    if (name == n.name) { *out = d != 0 ? n.yes : n.no; return true; }
  if (name == "general date") { *out = GeneralDate(d); return true; }
  if (name == "general number") { *out = DoubleText(d); return true; }
  return false;
}

// Format(value [, pattern [, firstdayofweek [, firstweekofyear]]]).
void Format(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const int type = sqlite3_value_type(argv[0]);
  std::string f = argc >= 2 && sqlite3_value_type(argv[1]) != SQLITE_NULL ? ValueText(argv[1]) : "";
  int firstDay = 1, firstWeek = 1;
  double arg;
  if (argc >= 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
    if (!NumberArg(ctx, argv[2], &arg)) return;
    if (!FirstDayArg(arg, &firstDay)) return ErrorInvalidCall(ctx);
  }
  if (argc >= 4 && sqlite3_value_type(argv[3]) != SQLITE_NULL) {
    if (!NumberArg(ctx, argv[3], &arg)) return;
    if (!FirstWeekArg(arg, &firstWeek)) return ErrorInvalidCall(ctx);
  }
  std::vector<std::string> sections = Sections(f);
  Kind kind = KindOf(f);
  if (type == SQLITE_NULL) {
    // NULL takes the fourth section of a number pattern, the second of a text one.
    if (kind == Kind::Number && sections.size() >= 4) return ResultString(ctx, FormatNumberSection(0, sections[3]));
    if (kind == Kind::Text && sections.size() >= 2) return ResultString(ctx, FormatText("", sections[1]));
    return sqlite3_result_null(ctx);
  }
  double d = 0;
  bool number = ValueNumber(argv[0], &d);
  bool date = !number && type == SQLITE_TEXT && ParseJetDate(ValueText(argv[0]), &d);
  std::string out;
  if (f.empty()) {
    out = date ? GeneralDate(d) : ValueText(argv[0]);
  } else if ((number || date) && NamedFormat(Lower(f), d, &out)) {
  } else if (kind == Kind::Text || (!number && !date)) {
    std::string text = ValueText(argv[0]);
    if (kind != Kind::Text) out = text;
    else out = FormatText(text, text.empty() && sections.size() >= 2 ? sections[1] : sections[0]);
  } else if (kind == Kind::Date) {
    out = FormatDate(d, sections[0], firstDay, firstWeek);
  } else {
    out = FormatNumberPattern(d, sections);
  }
  ResultString(ctx, out);
}

// A tristate argument (-1 true, 0 false, -2 the regional default) at argv[i].
bool TristateArg(sqlite3_context* ctx, int argc, sqlite3_value** argv, int i, bool fallback, bool* out) {
  *out = fallback;
  if (argc <= i || sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  double d;
  if (!NumberArg(ctx, argv[i], &d)) return false;
  if (d != -2) *out = d != 0;
  return true;
}

// FormatNumber, FormatCurrency and FormatPercent(value [, digits [, leading zero
// [, parentheses [, grouping]]]]): digits -1 is the regional two.
template <int kStyle>  // 0 number, 1 currency, 2 percent
void FormatAmount(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d, digits = -1;
  if (!NumberArg(ctx, argv[0], &d)) return;
  if (argc >= 2 && sqlite3_value_type(argv[1]) != SQLITE_NULL && !NumberArg(ctx, argv[1], &digits)) return;
  digits = std::nearbyint(digits);
  if (digits < -1 || digits > 99) return ErrorInvalidCall(ctx);
  int frac = digits < 0 ? 2 : static_cast<int>(digits);
  bool leading, parens, group;
  if (!TristateArg(ctx, argc, argv, 2, true, &leading) || !TristateArg(ctx, argc, argv, 3, false, &parens) ||
      !TristateArg(ctx, argc, argv, 4, true, &group))
    return;
  std::string pattern = group ? (leading ? "#,##0" : "#,###") : (leading ? "0" : "#");
  if (frac > 0) pattern += "." + std::string(static_cast<size_t>(frac), '0');
  if (kStyle == 2) pattern += "%";
  std::string body = FormatNumberSection(std::fabs(d), pattern);
  std::string sign = kStyle == 1 ? kCurrencySign : "";
  bool negative = d < 0 && body.find_first_of("123456789") != std::string::npos;
  if (!negative) return ResultString(ctx, sign + body);
  ResultString(ctx, parens ? "(" + sign + body + ")" : sign + "-" + body);
}

// FormatDateTime(date [, named]): 0 general date, 1 long date, 2 short date,
// 3 long time, 4 short time.
void FormatDateTime(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double d, named = 0;
  if (!ValueDate(argv[0], &d)) return ErrorMismatch(ctx);
  if (argc == 2 && !NumberArg(ctx, argv[1], &named)) return;
  switch (static_cast<int>(std::nearbyint(named))) {
    case 0: return ResultString(ctx, GeneralDate(d));
    case 1: return ResultString(ctx, FormatDate(d, kLongDate, 1, 1));
    case 2: return ResultString(ctx, FormatDate(d, kShortDate, 1, 1));
    case 3: return ResultString(ctx, FormatDate(d, kLongTime, 1, 1));
    case 4: return ResultString(ctx, FormatDate(d, "hh:nn", 1, 1));
    default: return ErrorInvalidCall(ctx);
  }
}

}  // namespace

std::vector<FunctionInfo> FormatFunctions() {
  const ReturnType text = Returns(ValueType::Text);
  return {
      Scalar("format", 1, 4, text, Format).Texts(kFirstText),
      Scalar("formatnumber", 1, 5, text, FormatAmount<0>),
      Scalar("formatcurrency", 1, 5, text, FormatAmount<1>),
      Scalar("formatpercent", 1, 5, text, FormatAmount<2>),
      Scalar("formatdatetime", 1, 2, text, FormatDateTime),
  };
}

}  // namespace jet::vba
