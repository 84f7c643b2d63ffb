#include "platform/com/OleDate.h"

#include <cmath>

namespace oledate {
namespace {

// Days from 1970/1/1 of a civil date (the well-known era-based algorithm).
int64_t DaysFromCivilEpoch(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDaysEpoch(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

const int64_t kDay0 = DaysFromCivilEpoch(1899, 12, 30);

}  // namespace

int64_t DayIndexFromCivil(int year, int month, int day) {
  return DaysFromCivilEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kDay0;
}

void CivilFromDayIndex(int64_t dayIndex, int* year, int* month, int* day) {
  int64_t y;
  unsigned m, d;
  CivilFromDaysEpoch(dayIndex + kDay0, &y, &m, &d);
  *year = static_cast<int>(y);
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool FromOleDate(double value, DateTime* out) {
  if (!std::isfinite(value) || value <= kMinDate - 1.0 || value >= kMaxDate + 1.0) return false;
  // The whole days toward zero name the day; the fraction's size is the time.
  double whole = std::trunc(value);
  int64_t dayIndex = static_cast<int64_t>(whole);
  // Rounded half away from zero, as llround does, without its library call: the
  // product is below 86400, so its whole part and what is left are exact.
  const double exact = std::fabs(value - whole) * 86400.0;
  int64_t seconds = static_cast<int64_t>(exact);
  if (exact - static_cast<double>(seconds) >= 0.5) ++seconds;
  if (seconds >= 86400) {  // rounded up to the next midnight
    seconds -= 86400;
    ++dayIndex;
  }
  CivilFromDayIndex(dayIndex, &out->year, &out->month, &out->day);
  if (out->year < 100 || out->year > 9999) return false;
  out->hour = static_cast<int>(seconds / 3600);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

bool ToOleDate(const DateTime& p, double* out) {
  if (p.year < 100 || p.year > 9999 || p.day < 1 || p.day > DaysInMonth(p.year, p.month)) return false;
  if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59) {
    return false;
  }
  int64_t dayIndex = DayIndexFromCivil(p.year, p.month, p.day);
  double fraction = (p.hour * 3600 + p.minute * 60 + p.second) / 86400.0;
  *out = dayIndex < 0 ? static_cast<double>(dayIndex) - fraction : static_cast<double>(dayIndex) + fraction;
  return true;
}

bool IsoDateTime(double oleDate, std::string* out) {
  if (!std::isfinite(oleDate) || oleDate < kMinDate || oleDate >= kMaxDate + 1) return false;
  // The fraction counts forward from the day's midnight, also before day 0.
  int64_t day = static_cast<int64_t>(std::trunc(oleDate));
  int64_t ms = std::llround(std::fabs(oleDate - static_cast<double>(day)) * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    day += oleDate < 0 ? -1 : 1;
  }
  int y, m, d;
  CivilFromDayIndex(day, &y, &m, &d);
  if (y < 100 || y > 9999) return false;
  // Digits by hand: a million dates go through here.
  const int h = static_cast<int>(ms / 3600000), mi = static_cast<int>(ms / 60000 % 60),
            s = static_cast<int>(ms / 1000 % 60), f = static_cast<int>(ms % 1000);
  char buf[24] = {char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10), char('0' + y % 10), '-',
                  char('0' + m / 10), char('0' + m % 10), '-', char('0' + d / 10), char('0' + d % 10), ' ',
                  char('0' + h / 10), char('0' + h % 10), ':', char('0' + mi / 10), char('0' + mi % 10), ':',
                  char('0' + s / 10), char('0' + s % 10), '.', char('0' + f / 100), char('0' + f / 10 % 10),
                  char('0' + f % 10)};
  out->assign(buf, f ? 23 : 19);
  return true;
}

}  // namespace oledate
