// The values of --csv and --json as their readers take them back: the shortest
// real that reads back to the same Single or Double, ISO 8601 dates, true/false,
// exact money as text; base64 and hex of binary values.
#include <gtest/gtest.h>

#include <cfloat>

#include "export/BinaryText.h"
#include "export/CsvValue.h"
#include "export/JsonValue.h"

namespace {

VARIANT Typed(VARTYPE vt, double d) {
  VARIANT v;
  v.vt = vt;
  if (vt == VT_R4) v.fltVal = static_cast<float>(d);
  else if (vt == VT_CY) v.cyVal = static_cast<int64_t>(d * 10000);
  else v.dblVal = d;  // VT_R8, VT_DATE
  return v;
}

std::string Csv(const VARIANT& v) {
  char buf[kCsvTextMax];
  char* end = buf;
  EXPECT_EQ(PutCsvText(v, buf, &end), S_OK);
  return std::string(buf, end);
}

std::string Json(const VARIANT& v) {
  std::string out;
  EXPECT_EQ(AppendJsonValue(v, &out), S_OK);
  return out;
}

TEST(ValueForms, ReadBackExactly) {
  struct Case {
    VARIANT value;
    const char* csv;
    const char* json;
  } cases[] = {
      {Typed(VT_R4, 0.15), "0.15", "0.15"},
      {Typed(VT_R4, 16777216), "16777216", "16777216"},
      {Typed(VT_R8, 123456789012345.6), "123456789012345.6", "123456789012345.6"},
      {Typed(VT_R8, DBL_MAX), "1.7976931348623157e308", "1.7976931348623157e308"},
      {Typed(VT_R8, 1e-7), "1e-07", "1e-07"},
      {Typed(VT_CY, 18), "18", "\"18\""},
      {Typed(VT_DATE, 34654), "1994-11-16", "\"1994-11-16\""},
      {Typed(VT_DATE, 34654.5451388889), "1994-11-16 13:05:00", "\"1994-11-16 13:05:00\""},
      {Typed(VT_DATE, 0.5451388889), "1899-12-30 13:05:00", "\"1899-12-30 13:05:00\""},
      {VARIANT::Bool(true), "true", "true"},
      {VARIANT::Bool(false), "false", "false"},
      {VARIANT::I4(-7), "-7", "-7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Csv(c.value), c.csv);
    EXPECT_EQ(Json(c.value), c.json);
  }
  EXPECT_EQ(Json(VARIANT::Null()), "null");
  EXPECT_EQ(Json(VARIANT::Str("a\"b\\c\n\x01ü")), "\"a\\\"b\\\\c\\n\\u0001ü\"");
}

TEST(ValueForms, ExtendedDatesGivenAsTextInIso8601) {
  for (const auto& [text, date, withTime] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"2024/3/15 13:45:30.1234567", "2024-03-15 13:45:30.1234567", "2024-03-15 13:45:30.1234567"},
           {"0001/1/1 0:00:00", "0001-01-01", "0001-01-01 00:00:00"},
           {"1850/6/1 6:00:00.5", "1850-06-01 06:00:00.5", "1850-06-01 06:00:00.5"},
           {"Smith, Anna", "", ""}, {"2024/3/15 13:45:30.", "", ""}}) {
    std::string a, b;
    EXPECT_EQ(AppendIsoExtendedDate(text, false, &a), !date.empty()) << text;
    AppendIsoExtendedDate(text, true, &b);
    EXPECT_EQ(a, date);
    EXPECT_EQ(b, withTime);
  }
}

TEST(ValueForms, BinaryAsBase64AndHex) {
  for (const auto& [bytes, base64, hex] : std::vector<std::tuple<std::vector<uint8_t>, std::string, std::string>>{
           {{}, "", ""}, {{0x00}, "AA==", "00"}, {{0xFF, 0x10}, "/xA=", "ff10"}, {{'a', 'b', 'c'}, "YWJj", "616263"}}) {
    std::string b, h;
    AppendBase64(bytes, &b);
    AppendHex(bytes, &h);
    EXPECT_EQ(b, base64);
    EXPECT_EQ(h, hex);
  }
}

}  // namespace
