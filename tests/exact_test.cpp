// Currency and Decimal as one exact number: arithmetic, rounding, overflow, text
// and the ordered key, at the edges of both ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/com/Exact.h"
#include "platform/com/ExactKey.h"

namespace {

Exact Of(const std::string& text) {
  Exact e;
  EXPECT_TRUE(Exact::Parse(text.data(), text.size(), &e)) << text;
  return e;
}

const char kMaxDecimal[] = "79228162514264337593543950335";
const char kMaxCurrency[] = "922337203685477.5807";
const char kMinCurrency[] = "-922337203685477.5808";

TEST(Exact, ArithmeticRoundingAndOverflow) {
  // op, a, b, the exact text of the result or "overflow".
  const struct { char op; const char *a, *b, *result; } cases[] = {
      {'+', "0.1", "0.2", "0.3"},
      {'+', "18.0000", "2", "20.0000"},  // the larger scale
      {'-', "1", "1.00", "0.00"},
      {'+', kMaxDecimal, "1", "overflow"},
      {'+', kMaxDecimal, "0.4", kMaxDecimal},  // the fraction goes, rounded
      {'-', "-79228162514264337593543950335", "1", "overflow"},
      {'+', "0.0000000000000000000000000001", "1", "1.0000000000000000000000000001"},
      {'+', "0.0000000000000000000000000005", "10", "10.000000000000000000000000000"},  // half to even
      {'+', "0.0000000000000000000000000015", "10", "10.000000000000000000000000002"},
      {'+', kMaxCurrency, kMaxCurrency, "1844674407370955.1614"},  // a Decimal holds it; a Currency not
      {'*', "1.5", "2.0", "3.00"},
      {'*', "-0.5", "0", "0.0"},  // no negative zero
      {'*', kMaxDecimal, "1", kMaxDecimal},
      {'*', kMaxDecimal, "2", "overflow"},
      {'*', kMaxDecimal, "0.1", "7922816251426433759354395033.5"},
      {'*', "0.00000000000001", "0.00000000000001", "0.0000000000000000000000000001"},
      {'*', "0.00000000000001", "0.000000000000001", "0.0000000000000000000000000000"},
      {'*', "12345678901234.56789", "12345678901234.56789", "152415787532388367501905199.88"},
      {'/', "1", "3", "0.3333333333333333333333333333"},
      {'/', "2", "3", "0.6666666666666666666666666667"},
      {'/', "1", "4", "0.25"},
      {'/', "1.00", "1", "1.00"},
      {'/', "1", "0.01", "100"},
      {'/', "-7", "2", "-3.5"},
      {'/', kMaxDecimal, "0.1", "overflow"},
      {'/', kMaxDecimal, "3", "26409387504754779197847983445"},
      {'/', "1", "0.0000000000000000000000000001", "10000000000000000000000000000"},
  };
  for (const auto& c : cases) {
    Exact r;
    bool ok = false;
    switch (c.op) {
      case '+': ok = Exact::Add(Of(c.a), Of(c.b), &r); break;
      case '-': ok = Exact::Subtract(Of(c.a), Of(c.b), &r); break;
      case '*': ok = Exact::Multiply(Of(c.a), Of(c.b), &r); break;
      case '/': ok = Exact::Divide(Of(c.a), Of(c.b), &r); break;
    }
    EXPECT_EQ(ok ? r.ScaledText() : "overflow", c.result) << c.a << ' ' << c.op << ' ' << c.b;
  }
}

TEST(Exact, ConversionsAndText) {
  // text in, Jet's text, the exact text, Currency's ten-thousandths or "overflow".
  const struct { const char *in, *text, *scaled, *currency; } cases[] = {
      {"18.0000", "18", "18.0000", "180000"},
      {"-0.0100", "-0.01", "-0.0100", "-100"},
      {"-0", "0", "0", "0"},
      {"0.00005", "0.00005", "0.00005", "0"},      // half to even: down to 0.0000
      {"0.00015", "0.00015", "0.00015", "2"},      // and up to 0.0002
      {"-2.50005", "-2.50005", "-2.50005", "-25000"},
      {kMaxCurrency, kMaxCurrency, kMaxCurrency, "9223372036854775807"},
      {kMinCurrency, kMinCurrency, kMinCurrency, "-9223372036854775808"},
      {"922337203685477.58075", "922337203685477.58075", "922337203685477.58075", "overflow"},
      {kMaxDecimal, kMaxDecimal, kMaxDecimal, "overflow"},
      {"1.5E+3", "1500", "1500", "15000000"},
      {"0.12345678901234567890123456789", "0.1234567890123456789012345679", "0.1234567890123456789012345679", "1235"},
  };
  for (const auto& c : cases) {
    const Exact e = Of(c.in);
    EXPECT_EQ(e.Text(), c.text) << c.in;
    EXPECT_EQ(e.ScaledText(), c.scaled) << c.in;
    int64_t cy = 0;
    EXPECT_EQ(e.ToCurrency(&cy) ? std::to_string(cy) : "overflow", c.currency) << c.in;
    Exact back;
    ASSERT_TRUE(Exact::OfDecimal(e.ToDecimal(), &back));
    EXPECT_EQ(back.ScaledText(), c.scaled);
  }
  Exact e;
  for (const char* bad : {"", "-", ".", "1.2.3", "1e", "12x", "79228162514264337593543950336", "1e29"})
    EXPECT_FALSE(Exact::Parse(bad, std::strlen(bad), &e)) << bad;
  // Doubles: the shortest decimal that reads back, and back to the nearest double.
  for (double d : {0.1, -123.45, 1e20, 922337203685477.5, 6e-29, 0.0}) {
    ASSERT_TRUE(Exact::OfDouble(d, &e)) << d;
    EXPECT_EQ(e.ToDouble(), d == 6e-29 ? 1e-28 : d);
  }
  EXPECT_EQ((Exact::OfDouble(0.1, &e), e.Text()), "0.1");
  EXPECT_FALSE(Exact::OfDouble(1e29, &e));
  EXPECT_EQ(Exact::OfCurrency(INT64_MIN).Text(), kMinCurrency);
  EXPECT_EQ(Exact::OfCurrency(180000), Exact::OfInteger(18));
}

TEST(Exact, KeysOrderAsTheNumbers) {
  // In ascending order; neighbours differ by the least a Decimal can.
  const char* sorted[] = {"-79228162514264337593543950335", kMinCurrency, "-1", "-0.0000000000000000000000000001",
                          "0", "0.0000000000000000000000000001", "0.0001", "1", "18", kMaxCurrency,
                          "7922816251426433759354395033.5", kMaxDecimal};
  unsigned char prev[kExactKeySize], key[kExactKeySize];
  for (size_t i = 0; i < std::size(sorted); ++i) {
    const Exact e = Of(sorted[i]);
    PutExactKey(e, key);
    Exact back;
    ASSERT_TRUE(ExactOfKey(key, sizeof key, &back));
    EXPECT_EQ(back.ScaledText(), e.Normalized().ScaledText());
    if (i > 0) {
      EXPECT_LT(std::memcmp(prev, key, sizeof key), 0) << sorted[i];
    }
    std::memcpy(prev, key, sizeof key);
  }
  unsigned char other[kExactKeySize];
  PutExactKey(Of("18"), key);
  PutExactKey(Of("18.0000"), other);
  EXPECT_EQ(std::memcmp(key, other, sizeof key), 0);
  Exact e;
  EXPECT_FALSE(ExactOfKey(key, sizeof key - 1, &e));
  key[0] ^= 1;
  EXPECT_FALSE(ExactOfKey(key, sizeof key, &e));
}

}  // namespace
