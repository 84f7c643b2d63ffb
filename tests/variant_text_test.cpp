// Value to text as VariantChangeType gives it, and the OLE date calendar.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <random>
#include <sstream>

#include "platform/com/OleDate.h"
#include "platform/com/Variant.h"

namespace {

std::string Text(const VARIANT& v) {
  std::string out = "<unset>";
  HRESULT hr = VariantToText(v, &out);
  EXPECT_EQ(hr, S_OK);
  return out;
}

VARIANT R4(float f) { VARIANT v; v.vt = VT_R4; v.fltVal = f; return v; }
VARIANT Cy(int64_t units) { VARIANT v; v.vt = VT_CY; v.cyVal = units; return v; }
VARIANT Date(double d) { VARIANT v; v.vt = VT_DATE; v.date = d; return v; }
VARIANT Dec(uint8_t scale, bool neg, uint32_t hi, uint64_t lo) {
  VARIANT v; v.vt = VT_DECIMAL; v.decVal = {scale, neg, hi, lo}; return v;
}

TEST(VariantText, IntegersStringsAndBooleans) {
  VARIANT b; b.vt = VT_UI1; b.bVal = 255;
  VARIANT s; s.vt = VT_I2; s.iVal = -32768;
  EXPECT_EQ(Text(b), "255");
  EXPECT_EQ(Text(s), "-32768");
  EXPECT_EQ(Text(VARIANT::I4(INT32_MIN)), "-2147483648");
  EXPECT_EQ(Text(VARIANT::Str("")), "");
  EXPECT_EQ(Text(VARIANT::Str("北风 \r\n")), "北风 \r\n");
  EXPECT_EQ(Text(VARIANT::Bool(true)), "-1");
  EXPECT_EQ(Text(VARIANT::Bool(false)), "0");
  EXPECT_EQ(Text(VARIANT()), "");  // VT_EMPTY
}

TEST(VariantText, ValuesWithoutTextAreTypeMismatch) {
  std::string out;
  EXPECT_EQ(VariantToText(VARIANT::Null(), &out), DISP_E_TYPEMISMATCH);
  VARIANT bin; bin.vt = VT_ARRAY | VT_UI1; bin.parray = {1, 0, 2};
  EXPECT_EQ(VariantToText(bin, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantToText(VARIANT::Missing(), &out), DISP_E_TYPEMISMATCH);
}

TEST(VariantText, DoubleKeepsFifteenDigits) {
  EXPECT_EQ(Text(VARIANT::R8(0)), "0");
  EXPECT_EQ(Text(VARIANT::R8(-0.0)), "0");
  EXPECT_EQ(Text(VARIANT::R8(0.1)), "0.1");
  EXPECT_EQ(Text(VARIANT::R8(0.1 + 0.2)), "0.3");  // 17 digits to round-trip: cut to 15
  EXPECT_EQ(Text(VARIANT::R8(1.0 / 3)), "0.333333333333333");
  EXPECT_EQ(Text(VARIANT::R8(2.0 / 3)), "0.666666666666667");
  EXPECT_EQ(Text(VARIANT::R8(-2.5)), "-2.5");
  EXPECT_EQ(Text(VARIANT::R8(0.9999999999999999)), "1");
  EXPECT_EQ(Text(VARIANT::R8(999999999999999.0)), "999999999999999");
  EXPECT_EQ(Text(VARIANT::R8(1e15)), "1E+15");
  EXPECT_EQ(Text(VARIANT::R8(123456789012345678.0)), "1.23456789012346E+17");
  EXPECT_EQ(Text(VARIANT::R8(1e20)), "1E+20");
  EXPECT_EQ(Text(VARIANT::R8(0.0001)), "0.0001");
  EXPECT_EQ(Text(VARIANT::R8(0.00001)), "1E-05");
  EXPECT_EQ(Text(VARIANT::R8(1.5e-7)), "1.5E-07");
  EXPECT_EQ(Text(VARIANT::R8(-1.25e-300)), "-1.25E-300");
  EXPECT_EQ(Text(VARIANT::R8(DBL_MAX)), "1.79769313486232E+308");
}

// Over many values: the text reads back within half a unit of the fifteenth digit,
// exactly when the value needs no more, and never carries a sixteenth digit.
TEST(VariantText, DoubleTextReadsBack) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    std::string text = Text(VARIANT::R8(v));
    double back = std::strtod(text.c_str(), nullptr);
    EXPECT_LE(std::fabs(back - v), std::fabs(v) * 5e-15) << text;
    std::string mantissa;
    for (char c : text.substr(0, text.find('E'))) {
      if (c >= '0' && c <= '9' && !(mantissa.empty() && c == '0')) mantissa += c;  // leading zeros are no digits
    }
    size_t digits = mantissa.size();
    EXPECT_LE(digits, 15u) << text;
    double short15 = std::strtod((std::ostringstream() << std::setprecision(15) << v).str().c_str(), nullptr);
    if (short15 == v) {
      EXPECT_EQ(back, v) << text;
    }
  }
}

TEST(VariantText, SingleKeepsSevenDigits) {
  EXPECT_EQ(Text(R4(0.1f)), "0.1");
  EXPECT_EQ(Text(R4(1.0f / 3)), "0.3333333");
  EXPECT_EQ(Text(R4(9999999.0f)), "9999999");
  EXPECT_EQ(Text(R4(1234567.0f)), "1234567");
  EXPECT_EQ(Text(R4(12345678.0f)), "1.234568E+07");
  EXPECT_EQ(Text(R4(123456789.0f)), "1.234568E+08");
  EXPECT_EQ(Text(R4(654322.25f)), "654322.2");  // a tie at the seventh digit goes to even
  EXPECT_EQ(Text(R4(654322.75f)), "654322.8");
  EXPECT_EQ(Text(R4(16777216.0f)), "1.677722E+07");  // 8 integer digits: exponent form
  EXPECT_EQ(Text(R4(1.5000059e-40f)), "1.500006E-40");  // subnormal: the widened value's digits
  EXPECT_EQ(Text(R4(-1.5e-7f)), "-1.5E-07");
  EXPECT_EQ(Text(R4(1e10f)), "1E+10");
  EXPECT_EQ(Text(R4(FLT_MAX)), "3.402823E+38");
}

// The texts against printf, the definition they follow, over a million random values
// of each kind: any bit pattern for the reals, the whole range for money and dates.
TEST(VariantText, MatchesPrintfOverRandomValues) {
  auto printfText = [](const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return std::string(buf);
  };
  auto currencyText = [](int64_t cy) {
    char buf[64];
    uint64_t m = cy < 0 ? 0 - static_cast<uint64_t>(cy) : static_cast<uint64_t>(cy);
    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", cy < 0 ? "-" : "", static_cast<unsigned long long>(m / 10000),
                  static_cast<unsigned long long>(m % 10000));
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? std::string("0") : s;
  };
  auto dateText = [](double d) {
    oledate::DateTime t;
    EXPECT_TRUE(oledate::FromOleDate(d, &t));
    char buf[64];
    if (t.year == 1899 && t.month == 12 && t.day == 30) {
      std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.hour, t.minute, t.second);
    } else if (t.hour == 0 && t.minute == 0 && t.second == 0) {
      std::snprintf(buf, sizeof buf, "%04d/%d/%d", t.year, t.month, t.day);
    } else {
      std::snprintf(buf, sizeof buf, "%04d/%d/%d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
    return std::string(buf);
  };
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> dateRange(oledate::kMinDate, oledate::kMaxDate + 1);
  for (int i = 0; i < 1000000; ++i) {
    uint64_t bits = rng();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    uint32_t bits32 = static_cast<uint32_t>(bits >> 17);
    float f;
    std::memcpy(&f, &bits32, sizeof f);
    // Integers of 16 digits and short decimals sit on the rounding ties.
    if (i % 4 == 1) d = static_cast<double>(static_cast<int64_t>(bits % 9000000000000000) + 1000000000000000);
    if (i % 4 == 2) f = static_cast<float>(bits % 100000000) / 4;
    if (i % 4 == 3) {  // amounts with a few decimals, and their Single neighbours
      d = static_cast<double>(static_cast<int64_t>(bits % 2000000000000) - 1000000000000) / 1000;
      f = static_cast<float>(bits % 20000000) / 100;
    }
    if (std::isfinite(d) && d != 0) {
      ASSERT_EQ(Text(VARIANT::R8(d)), printfText("%.15G", d)) << i;
    }
    if (std::isfinite(f) && f != 0) {
      ASSERT_EQ(Text(R4(f)), printfText("%.7G", f)) << i;
    }
    const int64_t cy = static_cast<int64_t>(bits) >> (i % 48);
    ASSERT_EQ(Text(Cy(cy)), currencyText(cy)) << cy;
    const double date = i % 2 ? dateRange(rng) : std::round(dateRange(rng) * 1440) / 1440;
    ASSERT_EQ(Text(Date(date)), dateText(date)) << date;
  }
}

TEST(VariantText, CurrencyDropsTrailingZeros) {
  EXPECT_EQ(Text(Cy(180000)), "18");
  EXPECT_EQ(Text(Cy(5000)), "0.5");
  EXPECT_EQ(Text(Cy(12345)), "1.2345");
  EXPECT_EQ(Text(Cy(-185000)), "-18.5");
  EXPECT_EQ(Text(Cy(-5)), "-0.0005");
  EXPECT_EQ(Text(Cy(0)), "0");
  EXPECT_EQ(Text(Cy(INT64_MAX)), "922337203685477.5807");
  EXPECT_EQ(Text(Cy(INT64_MIN)), "-922337203685477.5808");
}

TEST(VariantText, DecimalIsPlain) {
  EXPECT_EQ(Text(Dec(2, false, 0, 1500)), "15");
  EXPECT_EQ(Text(Dec(3, false, 0, 1234)), "1.234");
  EXPECT_EQ(Text(Dec(4, true, 0, 5)), "-0.0005");
  EXPECT_EQ(Text(Dec(0, true, 0, 0)), "0");
  EXPECT_EQ(Text(Dec(0, false, 0xFFFFFFFF, UINT64_MAX)), "79228162514264337593543950335");
  EXPECT_EQ(Text(Dec(28, false, 0xFFFFFFFF, UINT64_MAX)), "7.9228162514264337593543950335");
  std::string out;
  EXPECT_EQ(VariantToText(Dec(29, false, 0, 1), &out), E_INVALIDARG);
}

TEST(VariantText, DateForms) {
  EXPECT_EQ(Text(Date(0)), "0:00:00");
  EXPECT_EQ(Text(Date(0.5)), "12:00:00");
  EXPECT_EQ(Text(Date(-0.25)), "6:00:00");  // still 1899/12/30
  EXPECT_EQ(Text(Date(1)), "1899/12/31");
  EXPECT_EQ(Text(Date(2)), "1900/1/1");
  EXPECT_EQ(Text(Date(3.34)), "1900/1/2 8:09:36");
  EXPECT_EQ(Text(Date(36526)), "2000/1/1");
  EXPECT_EQ(Text(Date(-1)), "1899/12/29");
  EXPECT_EQ(Text(Date(-1.5)), "1899/12/29 12:00:00");
  EXPECT_EQ(Text(Date(-1.75)), "1899/12/29 18:00:00");
  EXPECT_EQ(Text(Date(-657434)), "0100/1/1");
  EXPECT_EQ(Text(Date(-657434.5)), "0100/1/1 12:00:00");
  EXPECT_EQ(Text(Date(2958465)), "9999/12/31");
  EXPECT_EQ(Text(Date(2958465 + 86399.0 / 86400)), "9999/12/31 23:59:59");
  std::string out;
  EXPECT_EQ(VariantToText(Date(-657435), &out), E_INVALIDARG);
  EXPECT_EQ(VariantToText(Date(2958466), &out), E_INVALIDARG);
}

TEST(VariantText, DateRoundsToTheNearestSecond) {
  const double second = 1.0 / 86400;
  EXPECT_EQ(Text(Date(0.4 * second)), "0:00:00");
  EXPECT_EQ(Text(Date(0.6 * second)), "0:00:01");
  EXPECT_EQ(Text(Date(36526 + 59.6 * second)), "2000/1/1 0:01:00");
  // Half a second before midnight goes on to the next day.
  EXPECT_EQ(Text(Date(36526 + 1 - 0.4 * second)), "2000/1/2");
  EXPECT_EQ(Text(Date(-1 - (1 - 0.4 * second))), "0:00:00");  // day -1 forward to day 0
}

TEST(OleDate, CalendarRoundTrips) {
  struct Case { int y, m, d; int64_t index; };
  const Case cases[] = {
      {1899, 12, 30, 0}, {1900, 1, 1, 2}, {1900, 3, 1, 61}, {2000, 2, 29, 36585},
      {100, 1, 1, -657434}, {9999, 12, 31, 2958465}, {1600, 3, 1, -109511},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(oledate::DayIndexFromCivil(c.y, c.m, c.d), c.index) << c.y << "/" << c.m << "/" << c.d;
    int y, m, d;
    oledate::CivilFromDayIndex(c.index, &y, &m, &d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
  }
  EXPECT_EQ(oledate::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(oledate::DaysInMonth(2000, 2), 29);
}

TEST(OleDate, PartsToValueAndBack) {
  double v = 0;
  ASSERT_TRUE(oledate::ToOleDate({1899, 12, 29, 12, 0, 0}, &v));
  EXPECT_EQ(v, -1.5);
  ASSERT_TRUE(oledate::ToOleDate({1996, 7, 4, 13, 45, 30}, &v));
  oledate::DateTime t;
  ASSERT_TRUE(oledate::FromOleDate(v, &t));
  EXPECT_EQ(t.year, 1996);
  EXPECT_EQ(t.month, 7);
  EXPECT_EQ(t.day, 4);
  EXPECT_EQ(t.hour * 10000 + t.minute * 100 + t.second, 134530);
  EXPECT_FALSE(oledate::ToOleDate({1900, 2, 29, 0, 0, 0}, &v));
  EXPECT_FALSE(oledate::ToOleDate({99, 12, 31, 0, 0, 0}, &v));
  EXPECT_FALSE(oledate::ToOleDate({2000, 1, 1, 24, 0, 0}, &v));
}

}  // namespace
