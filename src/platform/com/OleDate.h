// The OLE date calendar that Access and VT_DATE share: a day number counted from
// 1899/12/30 (day 0), proleptic Gregorian, years 100 to 9999. The fraction is the
// time of day and always counts forward from that day's midnight, also before
// day 0: -1.5 is 1899/12/29 12:00:00 (day -1, plus half a day).
#pragma once
#include <cstdint>
#include <string>

namespace oledate {

constexpr double kMinDate = -657434.0;   // 0100/1/1 00:00:00
constexpr double kMaxDate = 2958465.0;   // 9999/12/31 (plus up to one day less a second)

struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Day index (days since 1899/12/30, negative before) of a calendar date; any
// year, no range check.
int64_t DayIndexFromCivil(int year, int month, int day);
void CivilFromDayIndex(int64_t dayIndex, int* year, int* month, int* day);

// Days in a month of the Gregorian calendar (0 for a month outside 1..12).
int DaysInMonth(int year, int month);

// The parts of a date value, rounded to the nearest second. False for NaN, and
// for a value outside years 100..9999 (also after rounding).
bool FromOleDate(double value, DateTime* out);

// The date value of the parts. False unless the year is 100..9999, the day exists
// in its month and the time lies within 0:00:00..23:59:59.
bool ToOleDate(const DateTime& parts, double* out);

// "YYYY-MM-DD HH:MM:SS", with ".fff" when the value holds milliseconds: the text
// form the whole-database outputs keep dates in, which sorts as the dates do;
// false for a value outside years 100..9999.
bool IsoDateTime(double oleDate, std::string* out);

}  // namespace oledate
