#include "platform/jet/vba/Calendar.h"

#include <cmath>

namespace jet::vba {

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kWeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The day index on which the week holding dayIndex starts.
int64_t WeekStart(int64_t dayIndex, int firstDay) { return dayIndex - (WeekdayOf(dayIndex, firstDay) - 1); }

// The day index of week 1's first day in a year.
int64_t FirstWeekStart(int year, int firstDay, int firstWeek) {
  int64_t jan1 = oledate::DayIndexFromCivil(year, 1, 1);
  int64_t start = WeekStart(jan1, firstDay);
  if (firstWeek == 2 && jan1 - start >= 4) start += 7;   // fewer than four days of the new year
  if (firstWeek == 3 && start != jan1) start += 7;       // not a full week
  return start;
}

}  // namespace

int64_t DayIndexOf(double date) {
  int64_t seconds = 0;
  if (!DateToSeconds(date, &seconds)) return static_cast<int64_t>(std::trunc(date));
  return FloorDiv(seconds, 86400);
}

int WeekdayOf(int64_t dayIndex, int firstDay) {
  if (firstDay < 1 || firstDay > 7) firstDay = 1;
  // Day 0, 1899/12/30, was a Saturday: weekday 7 counted from Sunday.
  int64_t sundayBased = ((dayIndex + 6) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(((sundayBased - (firstDay - 1)) % 7 + 7) % 7) + 1;
}

int DayOfYear(int64_t dayIndex) {
  int y, m, d;
  oledate::CivilFromDayIndex(dayIndex, &y, &m, &d);
  return static_cast<int>(dayIndex - oledate::DayIndexFromCivil(y, 1, 1)) + 1;
}

int WeekOfYear(int64_t dayIndex, int firstDay, int firstWeek) {
  int y, m, d;
  oledate::CivilFromDayIndex(dayIndex, &y, &m, &d);
  int64_t start = FirstWeekStart(y, firstDay, firstWeek);
  if (dayIndex < start) start = FirstWeekStart(y - 1, firstDay, firstWeek);
  return static_cast<int>((dayIndex - start) / 7) + 1;
}

bool DateToSeconds(double date, int64_t* seconds) {
  oledate::DateTime dt;
  if (!oledate::FromOleDate(date, &dt)) return false;
  *seconds = oledate::DayIndexFromCivil(dt.year, dt.month, dt.day) * 86400 + dt.hour * 3600 + dt.minute * 60 +
             dt.second;
  return true;
}

bool SecondsToDate(int64_t seconds, double* date) {
  int64_t day = FloorDiv(seconds, 86400);
  int64_t rest = seconds - day * 86400;
  oledate::DateTime dt;
  oledate::CivilFromDayIndex(day, &dt.year, &dt.month, &dt.day);
  dt.hour = static_cast<int>(rest / 3600);
  dt.minute = static_cast<int>(rest / 60 % 60);
  dt.second = static_cast<int>(rest % 60);
  return oledate::ToOleDate(dt, date);
}

bool FirstDayArg(double value, int* firstDay) {
  double v = std::nearbyint(value);
  if (v < 0 || v > 7) return false;
  *firstDay = v == 0 ? 1 : static_cast<int>(v);
  return true;
}

bool FirstWeekArg(double value, int* firstWeek) {
  double v = std::nearbyint(value);
  if (v < 0 || v > 3) return false;
  *firstWeek = v == 0 ? 1 : static_cast<int>(v);
  return true;
}

}  // namespace jet::vba
