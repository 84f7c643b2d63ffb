// Date and time patterns for Format: the day, month, year, week, quarter and time
// placeholders, the named date and time forms and the General Date form.
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/com/RealText.h"
#include "platform/jet/vba/Calendar.h"
#include "platform/jet/vba/FormatPatterns.h"

namespace jet::vba {

const char kShortDate[] = "yyyy/m/d";
const char kLongDate[] = "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";  // yyyy年m月d日
const char kLongTime[] = "h:nn:ss";

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

}  // namespace


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
// w ww, m mm mmm mmmm (minutes right after h or hh, or before s), q, y (day of the year) yy
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
      // Minutes right after the hour, or right before the seconds ("mm:ss").
      size_t next = i + n < f.size() && (f[i + n] == ':' || f[i + n] == ' ') ? i + n + 1 : i + n;
      bool beforeSeconds = next < f.size() && (f[next] == 's' || f[next] == 'S');
      if ((afterHour || beforeSeconds) && n <= 2) out += n == 2 ? Two(dt.minute) : std::to_string(dt.minute);
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

}  // namespace jet::vba
