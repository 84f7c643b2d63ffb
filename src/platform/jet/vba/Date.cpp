// The VBA date functions. Dates travel through SQLite as REAL day
// numbers (the OLE calendar), so every function here reads and writes those.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/com/OleDate.h"
#include "platform/jet/vba/Calendar.h"
#include "platform/jet/vba/FunctionTable.h"
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

// Weekday(date [, firstdayofweek]): 1..7 counted from Sunday unless told.
void Weekday(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double d, first = 1;
  int firstDay = 1;
  if (!ValueDate(argv[0], &d)) return Mismatch(ctx);
  if (argc == 2 && !NumberArg(ctx, argv[1], &first)) return;
  if (!FirstDayArg(first, &firstDay)) return ErrorInvalidCall(ctx);
  sqlite3_result_int(ctx, WeekdayOf(DayIndexOf(d), firstDay));
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

// Date$ and Time$: today as mm-dd-yyyy and the time as hh:mm:ss, whatever the
// regional settings.
template <bool kDate>
void NowText(sqlite3_context* ctx, int, sqlite3_value**) {
  oledate::DateTime dt;
  oledate::FromOleDate(NowDayNumber(), &dt);
  char buf[32];
  if (kDate) std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", dt.month, dt.day, dt.year);
  else std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", dt.hour, dt.minute, dt.second);
  sqlite3_result_text(ctx, buf, -1, SQLITE_TRANSIENT);
}

// The whole-number arguments of DateSerial and TimeSerial, rounded as VBA's
// Integer arguments are; false (an error set) for one that is no number.
bool WholeArgs(sqlite3_context* ctx, sqlite3_value** argv, int64_t out[3]) {
  for (int i = 0; i < 3; ++i) {
    double d;
    if (!NumberArg(ctx, argv[i], &d)) return false;
    d = std::nearbyint(d);
    if (std::fabs(d) > 32767 * 366.0) { ErrorOverflow(ctx); return false; }
    out[i] = static_cast<int64_t>(d);
  }
  return true;
}

// DateSerial(y, m, d): months and days out of range roll over, as in VBA.
void DateSerial(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t v[3];
  if (!WholeArgs(ctx, argv, v)) return;
  int64_t y = v[0], m = v[1], d = v[2];
  if (y >= 0 && y < 30) y += 2000; else if (y >= 30 && y < 100) y += 1900;
  int64_t months = y * 12 + (m - 1);
  int64_t yy = months >= 0 ? months / 12 : -((-months + 11) / 12);
  int64_t mm = months - yy * 12 + 1;
  if (yy < 0 || yy > 20000) return ErrorInvalidCall(ctx);
  double day = static_cast<double>(oledate::DayIndexFromCivil(static_cast<int>(yy), static_cast<int>(mm), 1) + d - 1);
  if (day < oledate::kMinDate || day > oledate::kMaxDate) return ErrorInvalidCall(ctx);
  sqlite3_result_double(ctx, day);
}

// TimeSerial(h, m, s): a time of day 0; what passes midnight rolls into days.
void TimeSerial(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  int64_t v[3];
  if (!WholeArgs(ctx, argv, v)) return;
  double date;
  if (!SecondsToDate(v[0] * 3600 + v[1] * 60 + v[2], &date)) return ErrorInvalidCall(ctx);
  sqlite3_result_double(ctx, date);
}

void CDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double d;
  oledate::DateTime dt;
  if (!ValueDate(argv[0], &d) || !oledate::FromOleDate(d, &dt)) return Mismatch(ctx);
  sqlite3_result_double(ctx, d);
}

}  // namespace

std::vector<FunctionInfo> DateFunctions() {
  using T = ValueType;
  const ReturnType part = Returns(T::Integer), date = Returns(T::Date), text = Returns(T::Text);
  return {
      Scalar("year", 1, 1, part, Part<&oledate::DateTime::year>),
      Scalar("month", 1, 1, part, Part<&oledate::DateTime::month>),
      Scalar("day", 1, 1, part, Part<&oledate::DateTime::day>),
      Scalar("hour", 1, 1, part, Part<&oledate::DateTime::hour>),
      Scalar("minute", 1, 1, part, Part<&oledate::DateTime::minute>),
      Scalar("second", 1, 1, part, Part<&oledate::DateTime::second>),
      Scalar("weekday", 1, 2, part, Weekday),
      Scalar("now", 0, 0, date, Now).Volatile(),
      Scalar("date", 0, 0, date, Today).Volatile(),
      Scalar("time", 0, 0, date, TimeNow).Volatile(),
      // Date$ and Time$: the text, not the date.
      Scalar("date$", 0, 0, text, NowText<true>).Volatile(),
      Scalar("time$", 0, 0, text, NowText<false>).Volatile(),
      Scalar("dateserial", 3, 3, date, DateSerial),
      Scalar("timeserial", 3, 3, date, TimeSerial),
      Scalar("cdate", 1, 1, date, CDate),
      Scalar("cvdate", 1, 1, date, CDate),
  };
}

}  // namespace jet::vba
