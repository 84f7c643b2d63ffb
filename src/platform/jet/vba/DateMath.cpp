// The VBA date arithmetic and naming functions: DateAdd, DateDiff, DatePart,
// DateValue, TimeValue, MonthName, WeekdayName and Timer. Dates arrive as day
// numbers or as date texts; a date result is the day number.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <string>

#include "platform/jet/vba/Calendar.h"
#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

bool IntervalArg(sqlite3_context* ctx, sqlite3_value* v, Interval* out) {
  std::string s = ValueText(v);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const struct { const char* name; Interval interval; } kNames[] = {
      {"yyyy", Interval::Year}, {"q", Interval::Quarter}, {"m", Interval::Month},   {"y", Interval::DayOfYear},
      {"d", Interval::Day},     {"w", Interval::Weekday}, {"ww", Interval::Week},   {"h", Interval::Hour},
      {"n", Interval::Minute},  {"s", Interval::Second}};
  for (const auto& n : kNames)
    if (s == n.name) { *out = n.interval; return true; }
  ErrorInvalidCall(ctx);
  return false;
}

// A date argument as whole seconds on the time line.
bool SecondsArg(sqlite3_context* ctx, sqlite3_value* v, int64_t* seconds) {
  double d;
  if (ValueDate(v, &d) && DateToSeconds(d, seconds)) return true;
  ErrorMismatch(ctx);
  return false;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

struct Civil {
  int year, month, day;
  int64_t dayIndex, secondOfDay;
};
Civil CivilOf(int64_t seconds) {
  Civil c{};
  c.dayIndex = FloorDiv(seconds, 86400);
  c.secondOfDay = seconds - c.dayIndex * 86400;
  oledate::CivilFromDayIndex(c.dayIndex, &c.year, &c.month, &c.day);
  return c;
}

// The optional firstdayofweek / firstweekofyear arguments from argv[from] on.
bool WeekArgs(sqlite3_context* ctx, int argc, sqlite3_value** argv, int from, int* firstDay, int* firstWeek) {
  *firstDay = 1;
  *firstWeek = 1;
  double v;
  if (argc > from) {
    if (!NumberArg(ctx, argv[from], &v)) return false;
    if (!FirstDayArg(v, firstDay)) { ErrorInvalidCall(ctx); return false; }
  }
  if (argc > from + 1) {
    if (!NumberArg(ctx, argv[from + 1], &v)) return false;
    if (!FirstWeekArg(v, firstWeek)) { ErrorInvalidCall(ctx); return false; }
  }
  return true;
}

// DateAdd(interval, number, date): months that end early keep their last day
// (January 31 plus a month is February 28 or 29).
void DateAdd(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  Interval in;
  double number;
  int64_t s;
  if (!IntervalArg(ctx, argv[0], &in) || !NumberArg(ctx, argv[1], &number) || !SecondsArg(ctx, argv[2], &s)) return;
  number = std::nearbyint(number);
  if (std::fabs(number) > 2147483647.0) return ErrorOverflow(ctx);
  auto n = static_cast<int64_t>(number);
  double result;
  bool ok;
  if (in == Interval::Year || in == Interval::Quarter || in == Interval::Month) {
    Civil c = CivilOf(s);
    int64_t months = c.year * 12LL + (c.month - 1) + n * (in == Interval::Year ? 12 : in == Interval::Quarter ? 3 : 1);
    int64_t year = FloorDiv(months, 12);
    int month = static_cast<int>(months - year * 12) + 1;
    if (year < 100 || year > 9999) return ErrorInvalidCall(ctx);
    int day = std::min(c.day, oledate::DaysInMonth(static_cast<int>(year), month));
    int64_t dayIndex = oledate::DayIndexFromCivil(static_cast<int>(year), month, day);
    ok = SecondsToDate(dayIndex * 86400 + c.secondOfDay, &result);
  } else {
    int64_t unit = in == Interval::Hour ? 3600 : in == Interval::Minute ? 60 : in == Interval::Second ? 1
                 : in == Interval::Week ? 7 * 86400 : 86400;
    ok = SecondsToDate(s + n * unit, &result);
  }
  if (!ok) return ErrorInvalidCall(ctx);
  sqlite3_result_double(ctx, result);
}

// DateDiff(interval, date1, date2 [, firstdayofweek [, firstweekofyear]]): the
// boundaries of the interval crossed from date1 to date2 ("w": whole weeks).
void DateDiff(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  Interval in;
  int64_t s1, s2;
  int firstDay, firstWeek;
  if (!IntervalArg(ctx, argv[0], &in) || !SecondsArg(ctx, argv[1], &s1) || !SecondsArg(ctx, argv[2], &s2) ||
      !WeekArgs(ctx, argc, argv, 3, &firstDay, &firstWeek))
    return;
  Civil a = CivilOf(s1), b = CivilOf(s2);
  int64_t r = 0;
  switch (in) {
    case Interval::Year: r = b.year - a.year; break;
    case Interval::Quarter: r = (b.year * 4LL + (b.month - 1) / 3) - (a.year * 4LL + (a.month - 1) / 3); break;
    case Interval::Month: r = (b.year * 12LL + b.month) - (a.year * 12LL + a.month); break;
    case Interval::DayOfYear:
    case Interval::Day: r = b.dayIndex - a.dayIndex; break;
    case Interval::Weekday: r = (b.dayIndex - a.dayIndex) / 7; break;
    case Interval::Week:
      // The first days of the weeks crossed: those after date1, up to date2.
      r = ((b.dayIndex - WeekdayOf(b.dayIndex, firstDay)) - (a.dayIndex - WeekdayOf(a.dayIndex, firstDay))) / 7;
      break;
    case Interval::Hour: r = FloorDiv(s2, 3600) - FloorDiv(s1, 3600); break;
    case Interval::Minute: r = FloorDiv(s2, 60) - FloorDiv(s1, 60); break;
    case Interval::Second: r = s2 - s1; break;
  }
  ResultWhole(ctx, static_cast<double>(r));
}

// DatePart(interval, date [, firstdayofweek [, firstweekofyear]]).
void DatePart(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  Interval in;
  int64_t s;
  int firstDay, firstWeek;
  if (!IntervalArg(ctx, argv[0], &in) || !SecondsArg(ctx, argv[1], &s) ||
      !WeekArgs(ctx, argc, argv, 2, &firstDay, &firstWeek))
    return;
  Civil c = CivilOf(s);
  int r = 0;
  switch (in) {
    case Interval::Year: r = c.year; break;
    case Interval::Quarter: r = (c.month - 1) / 3 + 1; break;
    case Interval::Month: r = c.month; break;
    case Interval::DayOfYear: r = DayOfYear(c.dayIndex); break;
    case Interval::Day: r = c.day; break;
    case Interval::Weekday: r = WeekdayOf(c.dayIndex, firstDay); break;
    case Interval::Week: r = WeekOfYear(c.dayIndex, firstDay, firstWeek); break;
    case Interval::Hour: r = static_cast<int>(c.secondOfDay / 3600); break;
    case Interval::Minute: r = static_cast<int>(c.secondOfDay / 60 % 60); break;
    case Interval::Second: r = static_cast<int>(c.secondOfDay % 60); break;
  }
  sqlite3_result_int(ctx, r);
}

// DateValue and TimeValue: the date part (a whole day number) and the time part
// (a fraction of day 0) of a date or a date text.
template <bool kDatePart>
void DateOrTimeValue(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t s;
  if (!SecondsArg(ctx, argv[0], &s)) return;
  Civil c = CivilOf(s);
  sqlite3_result_double(ctx, kDatePart ? static_cast<double>(c.dayIndex) : c.secondOfDay / 86400.0);
}

bool WholeArg(sqlite3_context* ctx, sqlite3_value* v, int lo, int hi, int* out) {
  double d;
  if (!NumberArg(ctx, v, &d)) return false;
  d = std::nearbyint(d);
  if (d < lo || d > hi) { ErrorInvalidCall(ctx); return false; }
  *out = static_cast<int>(d);
  return true;
}

bool Truth(sqlite3_value* v) {
  double d;
  return ValueNumber(v, &d) && d != 0;
}

std::string Named(const char* name, bool abbreviate) {
  std::string s = name;
  return abbreviate ? s.substr(0, 3) : s;
}

// MonthName(month [, abbreviate]).
void MonthName(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int m;
  if (!WholeArg(ctx, argv[0], 1, 12, &m)) return;
  ResultString(ctx, Named(kMonthNames[m - 1], argc > 1 && Truth(argv[1])));
}

// WeekdayName(weekday [, abbreviate [, firstdayofweek]]): weekday counts from
// firstdayofweek (Sunday by default).
void WeekdayName(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int w, firstDay = 1;
  if (!WholeArg(ctx, argv[0], 1, 7, &w)) return;
  if (argc > 2) {
    double v;
    if (!NumberArg(ctx, argv[2], &v)) return;
    if (!FirstDayArg(v, &firstDay)) return ErrorInvalidCall(ctx);
  }
  ResultString(ctx, Named(kWeekdayNames[(w - 1 + firstDay - 1) % 7], argc > 1 && Truth(argv[1])));
}

// Timer: the seconds since local midnight, to the hundredth, as a Single.
void Timer(sqlite3_context* ctx, int, sqlite3_value**) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  localtime_r(&now.tv_sec, &tm);
  double seconds = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec + (now.tv_nsec / 10000000) / 100.0;
  sqlite3_result_double(ctx, static_cast<float>(seconds));
}

}  // namespace

std::vector<FunctionInfo> DateArithmeticFunctions() {
  using T = ValueType;
  return {
      Scalar("dateadd", 3, 3, Returns(T::Date), DateAdd),
      Scalar("datediff", 3, 5, Returns(T::Long), DateDiff),
      Scalar("datepart", 2, 4, Returns(T::Integer), DatePart),
      Scalar("datevalue", 1, 1, Returns(T::Date), DateOrTimeValue<true>),
      Scalar("timevalue", 1, 1, Returns(T::Date), DateOrTimeValue<false>),
      Scalar("monthname", 1, 2, Returns(T::Text), MonthName),
      Scalar("weekdayname", 1, 3, Returns(T::Text), WeekdayName),
      Scalar("timer", 0, 0, Returns(T::Single), Timer).Volatile(),
  };
}

}  // namespace jet::vba
