// Calendar arithmetic the VBA date functions and Format share: weekdays and weeks
// with a chosen first day, the day of the year, and the date value as a count of
// seconds on a straight time line (the OLE day number is not one before day 0,
// where the fraction still counts forward from midnight).
#pragma once
#include <cstdint>

#include "platform/com/OleDate.h"

namespace jet::vba {

extern const char* const kMonthNames[12];    // January ...
extern const char* const kWeekdayNames[7];   // Sunday ...

// The day index (days from 1899/12/30) that names the day of a date value.
int64_t DayIndexOf(double date);

// 1..7 counted from firstDay (1 = Sunday ... 7 = Saturday; 0, the system's
// choice, is Sunday).
int WeekdayOf(int64_t dayIndex, int firstDay);

// 1..366.
int DayOfYear(int64_t dayIndex);

// The week of the year, 1..54, as DatePart("ww") counts it: firstWeek 1 (or 0)
// is the week of January 1, 2 the first week with four days of the new year,
// 3 the first full week; days before week 1 fall in the last week of the year
// before.
int WeekOfYear(int64_t dayIndex, int firstDay, int firstWeek);

// Whole seconds from 1899/12/30 00:00:00 (rounded to the second), and back.
// False outside years 100..9999.
bool DateToSeconds(double date, int64_t* seconds);
bool SecondsToDate(int64_t seconds, double* date);

// A firstdayofweek / firstweekofyear argument as VBA reads it; false (the
// argument is out of range) sets nothing.
bool FirstDayArg(double value, int* firstDay);
bool FirstWeekArg(double value, int* firstWeek);

}  // namespace jet::vba
