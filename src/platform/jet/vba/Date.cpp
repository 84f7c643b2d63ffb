// The VBA date functions and Format. Dates travel through SQLite as REAL day
// numbers (the OLE calendar), so every function here reads and writes those.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/com/OleDate.h"
#include "platform/com/RealText.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

void Mismatch(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Data type mismatch", -1); }

bool DateArg(sqlite3_context* ctx, sqlite3_value* v, oledate::DateTime* dt) {
  double d;
  if (!ValueDate(v, &d) || !oledate::FromOleDate(d, dt)) { Mismatch(ctx); return false; }
  return true;
}

template <int oledate::DateTime::*kField>
void Part(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  oledate::DateTime dt;
  if (!DateArg(ctx, argv[0], &dt)) return;
  sqlite3_result_int(ctx, dt.*kField);
}

// Sunday is 1, as VBA's default first day of the week.
int WeekdayOf(double day) {
  int64_t d = static_cast<int64_t>(std::floor(day));
  // 1899/12/30 (day 0) was a Saturday (7).
  return static_cast<int>(((d + 6) % 7 + 7) % 7) + 1;
}

void Weekday(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  if (!ValueDate(argv[0], &d)) return Mismatch(ctx);
  sqlite3_result_int(ctx, WeekdayOf(d));
}

double NowDayNumber() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  oledate::DateTime dt{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  double d = 0;
  oledate::ToOleDate(dt, &d);
  return d;
}

void Now(sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_double(ctx, NowDayNumber()); }
void Today(sqlite3_context* ctx, int, sqlite3_value**) {
  double d = NowDayNumber();
  sqlite3_result_double(ctx, std::floor(d));
}
void TimeNow(sqlite3_context* ctx, int, sqlite3_value**) {
  double d = NowDayNumber();
  sqlite3_result_double(ctx, d - std::floor(d));
}

// DateSerial(y, m, d): months and days out of range roll over, as in VBA.
void DateSerial(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  int64_t y = sqlite3_value_int64(argv[0]), m = sqlite3_value_int64(argv[1]), d = sqlite3_value_int64(argv[2]);
  if (y >= 0 && y < 30) y += 2000; else if (y >= 30 && y < 100) y += 1900;
  int64_t months = y * 12 + (m - 1);
  int64_t yy = months >= 0 ? months / 12 : -((-months + 11) / 12);
  int64_t mm = months - yy * 12 + 1;
  double day = static_cast<double>(oledate::DayIndexFromCivil(static_cast<int>(yy), static_cast<int>(mm), 1) + d - 1);
  if (day < oledate::kMinDate || day > oledate::kMaxDate) return Mismatch(ctx);
  sqlite3_result_double(ctx, day);
}

void TimeSerial(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double secs = sqlite3_value_double(argv[0]) * 3600 + sqlite3_value_double(argv[1]) * 60 + sqlite3_value_double(argv[2]);
  sqlite3_result_double(ctx, secs / 86400.0);
}

void CDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  oledate::DateTime dt;
  if (!ValueDate(argv[0], &d) || !oledate::FromOleDate(d, &dt)) return Mismatch(ctx);
  sqlite3_result_double(ctx, d);
}

// ---- Format ----------------------------------------------------------------

const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Two(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

// Date and time patterns: yyyy yy m mm mmm mmmm d dd ddd dddd h hh n nn s ss
// AM/PM am/pm, "quoted" and \escaped literals; m right after h is minutes.
std::string FormatDate(double value, const std::string& f) {
  oledate::DateTime dt;
  if (!oledate::FromOleDate(value, &dt)) return DoubleText(value);
  bool pm = dt.hour >= 12;
  bool twelve = false;
  for (size_t i = 0; i + 4 < f.size() + 1; ++i) {
    std::string w = f.substr(i, 5);
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w == "am/pm" || f.substr(i, 3) == "A/P" || f.substr(i, 3) == "a/p") twelve = true;
  }
  std::string out;
  bool afterHour = false;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
    return n;
  };
  while (i < f.size()) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    if (f[i] == '"') {
      size_t j = f.find('"', i + 1);
      if (j == std::string::npos) j = f.size();
      out += f.substr(i + 1, j - i - 1);
      i = j + 1;
      continue;
    }
    if (f[i] == '\\' && i + 1 < f.size()) { out += f[i + 1]; i += 2; continue; }
    std::string lower5 = f.substr(i, 5);
    for (char& ch : lower5) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (lower5 == "am/pm") {
      bool upper = f[i] == 'A' || f[i] == 'P';
      out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
      i += 5;
      continue;
    }
    if (c == 'y') {
      size_t n = run('y');
      out += n >= 3 ? std::to_string(dt.year) : Two(dt.year % 100);
      i += n;
    } else if (c == 'm') {
      size_t n = run('m');
      if (afterHour && n <= 2) out += n == 2 ? Two(dt.minute) : std::to_string(dt.minute);
      else if (n >= 4) out += kMonths[dt.month - 1];
      else if (n == 3) out += std::string(kMonths[dt.month - 1]).substr(0, 3);
      else out += n == 2 ? Two(dt.month) : std::to_string(dt.month);
      afterHour = false;
      i += n;
    } else if (c == 'd') {
      size_t n = run('d');
      int wd = WeekdayOf(value) - 1;
      if (n >= 4) out += kDays[wd];
      else if (n == 3) out += std::string(kDays[wd]).substr(0, 3);
      else out += n == 2 ? Two(dt.day) : std::to_string(dt.day);
      i += n;
    } else if (c == 'h') {
      size_t n = run('h');
      int h = twelve ? (dt.hour % 12 == 0 ? 12 : dt.hour % 12) : dt.hour;
      out += n >= 2 ? Two(h) : std::to_string(h);
      afterHour = true;
      i += n;
      continue;
    } else if (c == 'n') {
      size_t n = run('n');
      out += n >= 2 ? Two(dt.minute) : std::to_string(dt.minute);
      i += n;
    } else if (c == 's') {
      size_t n = run('s');
      out += n >= 2 ? Two(dt.second) : std::to_string(dt.second);
      i += n;
    } else {
      out += f[i++];
      if (c != ':' && c != ' ') afterHour = false;
      continue;
    }
  }
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

// Number patterns: 0 and # digit places, '.' the point, ',' thousands grouping, '%'
// a percentage; other characters are copied. Rounded half away from zero.
std::string FormatNumber(double value, const std::string& f) {
  size_t first = f.find_first_of("0#."), last = f.find_last_of("0#.,");
  if (first == std::string::npos) return f;
  std::string prefix = f.substr(0, first), body = f.substr(first, last - first + 1), suffix = f.substr(last + 1);
  bool percent = f.find('%') != std::string::npos;
  if (percent) value *= 100;
  size_t point = body.find('.');
  std::string intPart = body.substr(0, point), fracPart = point == std::string::npos ? "" : body.substr(point + 1);
  bool group = intPart.find(',') != std::string::npos;
  int minInt = 0, minFrac = 0, maxFrac = 0;
  for (char c : intPart) minInt += c == '0';
  for (char c : fracPart) {
    if (c == '0') ++minFrac, ++maxFrac;
    if (c == '#') ++maxFrac;
  }
  bool negative = value < 0;
  double mag = std::fabs(value);
  double scale = std::pow(10.0, maxFrac);
  double rounded = std::floor(mag * scale + 0.5 + 1e-9 * mag * scale) / scale;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", maxFrac, rounded);
  std::string text = buf;
  size_t dot = text.find('.');
  std::string ip = text.substr(0, dot), fp = dot == std::string::npos ? "" : text.substr(dot + 1);
  while (static_cast<int>(fp.size()) > minFrac && !fp.empty() && fp.back() == '0') fp.pop_back();
  if (ip == "0" && minInt == 0) ip.clear();
  while (static_cast<int>(ip.size()) < minInt) ip.insert(ip.begin(), '0');
  if (group) ip = Grouped(ip);
  if (negative && (std::stod(text) != 0)) prefix = "-" + prefix;
  std::string out = prefix + ip;
  if (point != std::string::npos && (!fp.empty() || minFrac > 0 || body.back() == '.')) out += "." + fp;
  return out + suffix;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsDatePattern(const std::string& f) {
  bool inQuote = false;
  for (char c : f) {
    if (c == '"') inQuote = !inQuote;
    if (inQuote) continue;
    char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (l == '0' || l == '#') return false;
    if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 'n' || l == 's') return true;
  }
  return false;
}

std::string GeneralDate(double d) {
  oledate::DateTime dt;
  if (!oledate::FromOleDate(d, &dt)) return DoubleText(d);
  std::string day = std::to_string(dt.year) + "/" + std::to_string(dt.month) + "/" + std::to_string(dt.day);
  std::string time = std::to_string(dt.hour) + ":" + Two(dt.minute) + ":" + Two(dt.second);
  if (dt.year == 1899 && dt.month == 12 && dt.day == 30) return time;
  if (dt.hour == 0 && dt.minute == 0 && dt.second == 0) return day;
  return day + " " + time;
}

// Format(value [, pattern]): named formats, date patterns and number patterns.
void Format(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string f = argc == 2 && sqlite3_value_type(argv[1]) != SQLITE_NULL ? ValueText(argv[1]) : "";
  std::string out;
  double d = 0;
  bool number = ValueNumber(argv[0], &d);
  bool date = ValueDate(argv[0], &d);
  std::string name = Lower(f);
  if (f.empty() || (!number && !date)) {
    out = ValueText(argv[0]);
  } else if (name == "general date") {
    out = GeneralDate(d);
  } else if (name == "short date") {
    out = FormatDate(d, "yyyy/m/d");
  } else if (name == "medium date") {
    out = FormatDate(d, "yy-mmm-dd");
  } else if (name == "long date") {
    out = FormatDate(d, "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"");
  } else if (name == "long time" || name == "medium time") {
    out = FormatDate(d, "h:nn:ss");
  } else if (name == "short time") {
    out = FormatDate(d, "hh:nn");
  } else if (name == "general number") {
    out = DoubleText(d);
  } else if (name == "fixed") {
    out = FormatNumber(d, "0.00");
  } else if (name == "standard") {
    out = FormatNumber(d, "#,##0.00");
  } else if (name == "percent") {
    out = FormatNumber(d, "0.00%");
  } else if (name == "yes/no") {
    out = d != 0 ? "Yes" : "No";
  } else if (name == "true/false") {
    out = d != 0 ? "True" : "False";
  } else if (name == "on/off") {
    out = d != 0 ? "On" : "Off";
  } else if (IsDatePattern(f)) {
    out = FormatDate(d, f);
  } else if (number) {
    // A pattern of sections positive;negative: the negative one shows the magnitude.
    size_t semi = f.find(';');
    if (semi != std::string::npos && d < 0) out = FormatNumber(-d, f.substr(semi + 1));
    else out = FormatNumber(d, f.substr(0, semi));
  } else {
    out = ValueText(argv[0]);
  }
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void Add(sqlite3* db, const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**),
         bool deterministic = true) {
  sqlite3_create_function(db, name, args, SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0), nullptr, fn,
                          nullptr, nullptr);
}

}  // namespace

void RegisterDateFunctions(sqlite3* db) {
  Add(db, "vba_year", 1, Part<&oledate::DateTime::year>);
  Add(db, "vba_month", 1, Part<&oledate::DateTime::month>);
  Add(db, "vba_day", 1, Part<&oledate::DateTime::day>);
  Add(db, "vba_hour", 1, Part<&oledate::DateTime::hour>);
  Add(db, "vba_minute", 1, Part<&oledate::DateTime::minute>);
  Add(db, "vba_second", 1, Part<&oledate::DateTime::second>);
  Add(db, "vba_weekday", 1, Weekday);
  Add(db, "vba_now", 0, Now, false);
  Add(db, "vba_date", 0, Today, false);
  Add(db, "vba_time", 0, TimeNow, false);
  Add(db, "vba_dateserial", 3, DateSerial);
  Add(db, "vba_timeserial", 3, TimeSerial);
  Add(db, "vba_cdate", 1, CDate);
  Add(db, "vba_format", 1, Format);
  Add(db, "vba_format", 2, Format);
}

}  // namespace jet::vba
