// The value helpers of the SQL engine: Jet's date literals, Decimal and Currency
// on their way through REALs, and Jet's order of text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/jet/vba/DateParse.h"
#include "platform/jet/sql/Decimal.h"
#include "platform/jet/vba/Functions.h"

namespace {

double Day(const std::string& text) {
  double d = -1e9;
  EXPECT_TRUE(jet::ParseJetDate(text, &d)) << text;
  return d;
}

TEST(SqlValues, DateLiteralsInJetsForms) {
  EXPECT_EQ(Day("1/31/2000"), 36556);
  EXPECT_EQ(Day("2000-01-31"), 36556);
  EXPECT_EQ(Day("2000/1/31"), 36556);
  EXPECT_EQ(Day("1/31/00"), 36556);       // two-digit years below 30 are 20xx
  EXPECT_EQ(Day("12/31/99"), 36525);      // and the others 19xx
  EXPECT_EQ(Day("1/31/2000 12:00"), 36556.5);
  EXPECT_EQ(Day("1/31/2000 6:00:00 PM"), 36556.75);
  EXPECT_EQ(Day("12:00 AM"), 0);
  EXPECT_EQ(Day("18:00"), 0.75);          // a time alone falls on day 0
  EXPECT_EQ(Day("12/30/1899"), 0);
  EXPECT_EQ(Day("Jan 31, 2000"), 36556);
  EXPECT_EQ(Day("31-Jan-2000"), 36556);
  EXPECT_EQ(Day("January 31 2000 12:00"), 36556.5);
  EXPECT_EQ(Day("12/29/1899 12:00"), -1.5);  // day -1, and half a day forward from its midnight
  EXPECT_EQ(Day("13/1/2000"), 36538);     // no month 13: read day first, as Jet does
  double d;
  for (const char* bad : {"", "2/30/2000", "13/13/2000", "1/31", "5", "25:00", "1/31/2000 x", "1//2000", "Jan 2000", "Ja 5 2000", "1/31/2000 Jan"})
    EXPECT_FALSE(jet::ParseJetDate(bad, &d)) << bad;
}

TEST(SqlValues, DecimalsComeBackExact) {
  DECIMAL d;
  ASSERT_TRUE(jet::ParseDecimal("-123.4500", &d));
  EXPECT_EQ(d.scale, 4);
  EXPECT_TRUE(d.negative);
  EXPECT_EQ(d.lo64, 1234500u);
  EXPECT_EQ(jet::DecimalText(d), "-123.4500");
  DECIMAL back = jet::Rescaled(jet::DecimalFromDouble(jet::DecimalToDouble(d)), 4);
  EXPECT_TRUE(jet::SameDecimal(back, d));
  EXPECT_EQ(jet::DecimalText(jet::DecimalFromDouble(0.1)), "0.1");
  EXPECT_EQ(jet::DecimalText(jet::DecimalFromDouble(1e20)), "100000000000000000000");
  ASSERT_TRUE(jet::ParseDecimal("99999999999999.9999", &d));
  EXPECT_FALSE(jet::SameDecimal(jet::Rescaled(jet::DecimalFromDouble(jet::DecimalToDouble(d)), 4), d));
  EXPECT_FALSE(jet::ParseDecimal("1.2.3", &d));
  EXPECT_FALSE(jet::ParseDecimal("", &d));
}

TEST(SqlValues, CurrencyThroughReals) {
  double amount;
  EXPECT_TRUE(jet::CurrencyFitsDouble(180000, &amount));
  EXPECT_EQ(amount, 18.0);
  EXPECT_TRUE(jet::CurrencyFitsDouble(-1, &amount));
  EXPECT_FALSE(jet::CurrencyFitsDouble(INT64_MAX, &amount));
  EXPECT_FALSE(jet::CurrencyFitsDouble(INT64_MIN, &amount));
  int64_t cy;
  ASSERT_TRUE(jet::ParseCurrency(jet::CurrencyText(INT64_MIN).c_str(), &cy));
  EXPECT_EQ(cy, INT64_MIN);
  EXPECT_EQ(jet::CurrencyText(INT64_MAX), "922337203685477.5807");
}

TEST(SqlValues, TextInJetsOrder) {
  auto cmp = [](const std::string& a, const std::string& b) {
    int r = jet::CompareJetText(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
  };
  // Case, width and kana type ignored; accents second to base letters; the
  // quick path over ASCII letters and digits agrees with the collator.
  const struct { const char* a; const char* b; int order; } cases[] = {
      {"Beijing", "BEIJING", 0},   {"apple", "Banana", -1},   {"ab", "ABC", -1},       {"ÄÖÜ", "äöü", 0},
      {"ΣΟΦΙΑ", "σοφια", 0},       {"México", "Montréal", -1}, {"Mexico", "México", -1}, {"méxico", "MÉXICO", 0},
      {"México", "Mexicp", -1},    {"Zürich", "Zurich", 1},    {"é", "Z", -1},           {"Ｂ", "b", 0},
      {"ｱ", "ア", 0},              {"あ", "ア", 0},            {"a b", "ab", -1},        {"ab1", "abc", -1},
      {"_a", "a", -1},             {"abc", "ab", 1},           {"ab-", "ab", 1},
      {"", "", 0},                 {"", "a", -1},              {"Ü", "u\xCC\x88", 0},
      {"co-op", "coop", 1},        {"co-op", "Cop", -1},       {"car's", "carps", 1},    {"Ö-b", "öb", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cmp(c.a, c.b), c.order) << c.a << " / " << c.b;
    EXPECT_EQ(cmp(c.b, c.a), -c.order) << c.b << " / " << c.a;
  }
  EXPECT_NE(cmp("中", "文"), 0);
}

}  // namespace
