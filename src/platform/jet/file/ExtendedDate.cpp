// Date/Time Extended values: 42 ASCII bytes, "DDDDDDDDDDDDDDDDDDD:TTTTTTTTTTTTTTTTTTT:7",
// the days since 0001/1/1 and the time of day in 100-nanosecond ticks, 19 digits each.
#include <cstdio>

#include "platform/com/OleDate.h"
#include "platform/jet/file/ValueDecode.h"

namespace jet {

static constexpr uint64_t kTicksPerSecond = 10000000;
static constexpr uint64_t kTicksPerDay = 86400 * kTicksPerSecond;

static uint64_t Digits(const uint8_t* p, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') Damaged(Check::FieldSize);
    v = v * 10 + (p[i] - '0');
  }
  return v;
}

void DecodeExtendedDate(const uint8_t* p, uint32_t len, VARIANT* out) {
  if (len < 41 || p[19] != ':' || p[39] != ':') Damaged(Check::FieldSize);
  const uint64_t days = Digits(p, 19), ticks = Digits(p + 20, 19);
  // Access allows 0001/1/1 to 9999/12/31; a larger count is no date of its.
  if (days > 3652058 || ticks >= kTicksPerDay) Damaged(Check::FieldSize);
  const int64_t day = static_cast<int64_t>(days) + oledate::DayIndexFromCivil(1, 1, 1);
  int year, month, dayOfMonth;
  oledate::CivilFromDayIndex(day, &year, &month, &dayOfMonth);
  const uint64_t fraction = ticks % kTicksPerSecond, seconds = ticks / kTicksPerSecond;
  if (year >= 100 && fraction == 0) {
    // A VT_DATE holds it exactly to the second: the time of day counts forward from
    // midnight, also on the negative days before 1899/12/30.
    const double time = static_cast<double>(seconds) / 86400.0;
    out->vt = VT_DATE;
    out->date = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
    return;
  }
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%04d/%d/%d %d:%02d:%02d.%07llu", year, month, dayOfMonth,
                        static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                        static_cast<int>(seconds % 60), static_cast<unsigned long long>(fraction));
  while (buf[n - 1] == '0') --n;  // trailing zeros of the fraction, then a bare point
  if (buf[n - 1] == '.') --n;
  out->vt = VT_BSTR;
  out->bstrVal.assign(buf, static_cast<size_t>(n));
}

}  // namespace jet
