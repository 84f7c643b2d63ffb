// Format and its named relatives (FormatNumber, FormatCurrency, FormatPercent,
// FormatDateTime). A format is a named one ("Currency", "Short Date", ...) or a
// pattern of up to four sections separated by ';': numbers (0 # . , % E+ E-),
// dates and times (d m y q w h n s, AM/PM, c, ttttt) or text (@ & < > !).
// The regional choices are the ones the program's date texts already use:
// dates as yyyy/m/d, the long date with 年月日, the yuan sign, '.' and ','.
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
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

const char kCurrencySign[] = "\xC2\xA5";  // ¥
const char kShortDate[] = "yyyy/m/d";
const char kLongDate[] = "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";  // yyyy年m月d日
const char kLongTime[] = "h:nn:ss";

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

// ---- dates -------------------------------------------------------------------

std::string Two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

std::string FormatDate(double value, const std::string& f, int firstDay, int firstWeek);

// The General Date form: the time alone on day 0, the date alone at midnight.
std::string GeneralDate(double value) {
  oledate::DateTime dt;
  if (!oledate::FromOleDate(value, &dt)) return DoubleText(value);
  bool day0 = dt.year == 1899 && dt.month == 12 && dt.day == 30;
  bool midnight = dt.hour == 0 && dt.minute == 0 && dt.second == 0;
  if (day0) return FormatDate(value, kLongTime, 1, 1);
  if (midnight) return FormatDate(value, kShortDate, 1, 1);
  return FormatDate(value, std::string(kShortDate) + " " + kLongTime, 1, 1);
}

// Date and time patterns: d dd ddd dddd ddddd (short date) dddddd (long date),
// w ww, m mm mmm mmmm (minutes right after h or hh), q, y (day of the year) yy
// yyyy, h hh, n nn, s ss, ttttt (long time), c (general date), AM/PM am/pm A/P
// a/p AMPM, "quoted" and \escaped literals; any other character stands for itself.
std::string FormatDate(double value, const std::string& f, int firstDay, int firstWeek) {
  oledate::DateTime dt;
  if (!oledate::FromOleDate(value, &dt)) return DoubleText(value);
  const int64_t dayIndex = oledate::DayIndexFromCivil(dt.year, dt.month, dt.day);
  bool twelve = false;
  for (size_t i = 0; i < f.size(); ++i) {
    std::string l = Lower(f.substr(i, 5));
    if (l == "am/pm" || l.compare(0, 3, "a/p") == 0 || l.compare(0, 4, "ampm") == 0) twelve = true;
  }
  const bool pm = dt.hour >= 12;
  const int hour = twelve ? (dt.hour % 12 == 0 ? 12 : dt.hour % 12) : dt.hour;
  std::string out;
  bool afterHour = false;
  size_t i = 0;
  while (i < f.size()) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    size_t n = 1;
    while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
    std::string l5 = Lower(f.substr(i, 5)), l4 = l5.substr(0, 4), l3 = l5.substr(0, 3);
    bool hourToken = false;
    if (f[i] == '"') {
      size_t j = f.find('"', i + 1);
      if (j == std::string::npos) j = f.size();
      out += f.substr(i + 1, j - i - 1);
      i = j + 1;
      continue;
    }
    if (f[i] == '\\') {
      if (i + 1 < f.size()) out += f[i + 1];
      i += 2;
      continue;
    }
    if (l5 == "am/pm") {
      bool upper = f[i] == 'A' || f[i] == 'P';
      out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
      i += 5;
    } else if (l3 == "a/p") {
      bool upper = f[i] == 'A' || f[i] == 'P';
      out += pm ? (upper ? "P" : "p") : (upper ? "A" : "a");
      i += 3;
    } else if (l4 == "ampm") {
      out += pm ? "PM" : "AM";
      i += 4;
    } else if (c == 'c') {
      out += GeneralDate(value);
      i += 1;
    } else if (c == 'd') {
      int wd = WeekdayOf(dayIndex, 1) - 1;
      if (n >= 6) out += FormatDate(value, kLongDate, firstDay, firstWeek), n = 6;
      else if (n == 5) out += FormatDate(value, kShortDate, firstDay, firstWeek);
      else if (n == 4) out += kWeekdayNames[wd];
      else if (n == 3) out += std::string(kWeekdayNames[wd]).substr(0, 3);
      else out += n == 2 ? Two(dt.day) : std::to_string(dt.day);
      i += n;
    } else if (c == 'w') {
      n = std::min<size_t>(n, 2);
      out += std::to_string(n == 2 ? WeekOfYear(dayIndex, firstDay, firstWeek) : WeekdayOf(dayIndex, firstDay));
      i += n;
    } else if (c == 'm') {
      n = std::min<size_t>(n, 4);
      if (afterHour && n <= 2) out += n == 2 ? Two(dt.minute) : std::to_string(dt.minute);
      else if (n == 4) out += kMonthNames[dt.month - 1];
      else if (n == 3) out += std::string(kMonthNames[dt.month - 1]).substr(0, 3);
      else out += n == 2 ? Two(dt.month) : std::to_string(dt.month);
      i += n;
    } else if (c == 'q') {
      out += std::to_string((dt.month - 1) / 3 + 1);
      i += 1;
    } else if (c == 'y') {
      if (n >= 4) out += std::to_string(dt.year), n = 4;
      else if (n >= 2) out += Two(dt.year % 100), n = 2;
      else out += std::to_string(DayOfYear(dayIndex));
      i += n;
    } else if (c == 'h') {
      n = std::min<size_t>(n, 2);
      out += n == 2 ? Two(hour) : std::to_string(hour);
      hourToken = true;
      i += n;
    } else if (c == 'n') {
      n = std::min<size_t>(n, 2);
      out += n == 2 ? Two(dt.minute) : std::to_string(dt.minute);
      i += n;
    } else if (c == 's') {
      n = std::min<size_t>(n, 2);
      out += n == 2 ? Two(dt.second) : std::to_string(dt.second);
      i += n;
    } else if (c == 't' && n >= 5) {
      out += FormatDate(value, kLongTime, firstDay, firstWeek);
      i += 5;
    } else {
      out += f[i++];
      // A separator keeps "h:m" a minute.
      if (c == ':' || c == ' ') hourToken = afterHour;
    }
    afterHour = hourToken;
  }
  return out;
}

// ---- numbers -----------------------------------------------------------------

// |value| rounded half away from zero at `frac` decimals, as plain digits with
// exactly `frac` decimals. The rounding works on the 15 significant digits a
// Double is shown with, so 0.125 and 2.675 round up as they read.
std::string Fixed(double mag, int frac) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", mag);
  std::string digits;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exp = std::atoi(std::strchr(buf, 'e') + 1);
  // digits d0 d1 ... stand for d0.d1... × 10^exp; keep those down to 10^-frac.
  int keep = exp + 1 + frac;
  std::string kept;
  if (keep >= 0) {
    kept = digits.substr(0, std::min<size_t>(digits.size(), static_cast<size_t>(keep)));
    bool up = static_cast<size_t>(keep) < digits.size() && digits[static_cast<size_t>(keep)] >= '5';
    kept.append(static_cast<size_t>(std::max(0, keep - static_cast<int>(kept.size()))), '0');
    if (up) {
      int k = static_cast<int>(kept.size()) - 1;
      while (k >= 0 && kept[static_cast<size_t>(k)] == '9') kept[static_cast<size_t>(k--)] = '0';
      if (k >= 0) ++kept[static_cast<size_t>(k)];
      else kept.insert(kept.begin(), '1');
    }
  }
  if (kept.size() < static_cast<size_t>(frac) + 1) kept.insert(0, static_cast<size_t>(frac) + 1 - kept.size(), '0');
  std::string out = kept.substr(0, kept.size() - static_cast<size_t>(frac));
  size_t nz = out.find_first_not_of('0');
  out = nz == std::string::npos ? "0" : out.substr(nz);
  if (frac > 0) out += "." + kept.substr(kept.size() - static_cast<size_t>(frac));
  return out;
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// One number section, parsed: digit slots ('0' shows a zero, '#' nothing) before
// and after the point and in the exponent, with the literals between them.
struct NumberPattern {
  struct Piece {
    char kind;  // 'I' integer slot, 'F' fraction slot, 'X' exponent slot, '.', 'E', or 'L' literal
    char slot;  // '0' or '#'
    std::string text;
  };
  std::vector<Piece> pieces;
  bool group = false;
  int percent = 0, scale = 0;  // scale: thousands the value is divided by
  bool exponent = false;
  bool expPlus = false;         // E+ shows the sign of a positive exponent
};

NumberPattern ParseNumber(const std::string& f) {
  NumberPattern p;
  bool point = false;
  auto literal = [&](const std::string& t) {
    if (!p.pieces.empty() && p.pieces.back().kind == 'L') p.pieces.back().text += t;
    else p.pieces.push_back({'L', 0, t});
  };
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '"') {
      size_t j = f.find('"', i + 1);
      if (j == std::string::npos) j = f.size();
      literal(f.substr(i + 1, j - i - 1));
      i = j;
    } else if (c == '\\') {
      if (i + 1 < f.size()) literal(f.substr(++i, 1));
    } else if (c == '0' || c == '#') {
      p.pieces.push_back({p.exponent ? 'X' : point ? 'F' : 'I', c, ""});
    } else if (c == '.' && !point && !p.exponent) {
      point = true;
      p.pieces.push_back({'.', 0, ""});
    } else if (c == ',' && !point && !p.exponent) {
      // Between integer slots it groups thousands; before the point or the end of
      // the digits it divides by a thousand.
      size_t j = i + 1;
      while (j < f.size() && f[j] == ',') ++j;
      bool slotFollows = j < f.size() && (f[j] == '0' || f[j] == '#');
      bool slotBefore = false;
      for (const auto& piece : p.pieces) slotBefore = slotBefore || piece.kind == 'I';
      if (slotFollows && slotBefore) p.group = true;
      else if (slotBefore) p.scale += static_cast<int>(j - i);
      i = j - 1;
    } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-') && !p.exponent) {
      p.exponent = true;
      p.expPlus = f[i + 1] == '+';
      p.pieces.push_back({'E', 0, std::string(1, c)});
      ++i;
    } else {
      if (c == '%') ++p.percent;
      literal(std::string(1, c));
    }
  }
  return p;
}

// A magnitude (value >= 0) in one parsed section.
std::string FormatMagnitude(double mag, const NumberPattern& p) {
  for (int k = 0; k < p.percent; ++k) mag *= 100;
  for (int k = 0; k < p.scale; ++k) mag /= 1000;
  int intSlots = 0, fracSlots = 0, minFrac = 0, minInt = 0, expMin = 0;
  bool zeroSeen = false;
  for (const auto& piece : p.pieces) {
    if (piece.kind == 'I') {
      ++intSlots;
      zeroSeen = zeroSeen || piece.slot == '0';
      if (zeroSeen) ++minInt;
    } else if (piece.kind == 'F') {
      ++fracSlots;
      if (piece.slot == '0') minFrac = fracSlots;
    } else if (piece.kind == 'X' && piece.slot == '0') {
      ++expMin;
    }
  }
  int exponent = 0;
  std::string number;
  if (p.exponent && mag > 0) {
    int lead = std::max(intSlots, 1);
    exponent = static_cast<int>(std::floor(std::log10(mag))) - (lead - 1);
    number = Fixed(mag / std::pow(10.0, exponent), fracSlots);
    if (number.find('.') == std::string::npos ? number.size() > static_cast<size_t>(lead)
                                              : number.find('.') > static_cast<size_t>(lead)) {
      ++exponent;
      number = Fixed(mag / std::pow(10.0, exponent), fracSlots);
    }
  } else {
    number = Fixed(mag, fracSlots);
  }
  size_t dot = number.find('.');
  std::string ip = number.substr(0, dot), fp = dot == std::string::npos ? "" : number.substr(dot + 1);
  if (ip == "0") ip.clear();
  if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<size_t>(minInt) - ip.size(), '0');
  while (static_cast<int>(fp.size()) > minFrac && fp.back() == '0') fp.pop_back();
  if (p.group) ip = Grouped(ip);
  std::string expText = std::to_string(std::abs(exponent));
  if (static_cast<int>(expText.size()) < expMin) expText.insert(0, static_cast<size_t>(expMin) - expText.size(), '0');

  std::string out;
  int intSeen = 0, fracSeen = 0;
  bool expDone = false;
  for (const auto& piece : p.pieces) {
    switch (piece.kind) {
      case 'I':
        // Each slot takes one digit from the right; the first takes what is left.
        ++intSeen;
        if (intSeen == 1) {
          size_t rest = p.group ? 0 : static_cast<size_t>(intSlots - 1);
          size_t take = ip.size() > rest ? ip.size() - rest : 0;
          out += ip.substr(0, take);
          ip.erase(0, take);
        } else if (!p.group && !ip.empty() && ip.size() >= static_cast<size_t>(intSlots - intSeen + 1)) {
          out += ip[0];
          ip.erase(0, 1);
        }
        break;
      case 'F':
        if (fracSeen < static_cast<int>(fp.size())) out += fp[static_cast<size_t>(fracSeen)];
        ++fracSeen;
        break;
      case '.': out += '.'; break;
      case 'E':
        out += piece.text + (exponent < 0 ? "-" : p.expPlus ? "+" : "");
        break;
      case 'X':
        if (!expDone) out += expText;
        expDone = true;
        break;
      default: out += piece.text;
    }
  }
  if (intSlots == 0 && !ip.empty()) out = ip + out;  // digits with no slot lead the text
  return out;
}

// A number in a pattern of sections: positive;negative;zero;null. A missing or
// empty section borrows the first, and the first shows a minus sign itself.
std::string FormatNumberPattern(double value, const std::vector<std::string>& sections) {
  auto section = [&](size_t k) { return k < sections.size() && !sections[k].empty() ? sections[k] : sections[0]; };
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) return FormatMagnitude(0, ParseNumber(sections[2]));
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatMagnitude(-value, ParseNumber(sections[1]));
  std::string text = FormatMagnitude(std::fabs(value), ParseNumber(section(0)));
  bool shownZero = text.find_first_of("123456789") == std::string::npos;
  return value < 0 && !shownZero ? "-" + text : text;
}

// ---- text ----------------------------------------------------------------------

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

// The text of a number or date value without a pattern.
std::string PlainText(sqlite3_value* v) { return ValueText(v); }

bool NamedFormat(const std::string& name, double d, bool isNumber, std::string* out) {
  static const struct { const char* name; const char* pattern; } kNumberNames[] = {
      {"currency", "\xC2\xA5#,##0.00"}, {"fixed", "0.00"}, {"standard", "#,##0.00"},
      {"percent", "0.00%"}, {"scientific", "0.00E+00"}};
  static const struct { const char* name; const char* pattern; } kDateNames[] = {
      {"long date", kLongDate},   {"medium date", "yy-mmm-dd"}, {"short date", kShortDate},
      {"long time", kLongTime},   {"medium time", "hh:nn AM/PM"}, {"short time", "hh:nn"}};
  static const struct { const char* name; const char* yes; const char* no; } kTruths[] = {
      {"yes/no", "Yes", "No"}, {"true/false", "True", "False"}, {"on/off", "On", "Off"}};
  (void)isNumber;
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
    if (kind == Kind::Number && sections.size() >= 4) return ResultString(ctx, FormatMagnitude(0, ParseNumber(sections[3])));
    if (kind == Kind::Text && sections.size() >= 2) return ResultString(ctx, FormatText("", sections[1]));
    return sqlite3_result_null(ctx);
  }
  double d = 0;
  bool number = ValueNumber(argv[0], &d);
  bool date = !number && type == SQLITE_TEXT && ParseJetDate(ValueText(argv[0]), &d);
  std::string out;
  if (f.empty()) {
    out = date ? GeneralDate(d) : PlainText(argv[0]);
  } else if ((number || date) && NamedFormat(Lower(f), d, number, &out)) {
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
  std::string body = FormatMagnitude(std::fabs(d), ParseNumber(pattern));
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

void RegisterFormatFunctions(sqlite3* db) {
  AddScalar(db, "format", 1, 4, Format);
  AddScalar(db, "formatnumber", 1, 5, FormatAmount<0>);
  AddScalar(db, "formatcurrency", 1, 5, FormatAmount<1>);
  AddScalar(db, "formatpercent", 1, 5, FormatAmount<2>);
  AddScalar(db, "formatdatetime", 1, 2, FormatDateTime);
}

}  // namespace jet::vba
