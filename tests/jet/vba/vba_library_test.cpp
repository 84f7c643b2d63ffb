// The VBA library on its own connection, one table per area: every function at
// least once with a NULL argument and once with an argument VBA converts first
// (a number where text is due, text where a number or a date is due).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/vba/VbaEval.h"

namespace {

struct Case {
  const char* expr;
  const char* expected;
};

void Check(const std::vector<Case>& cases) {
  VbaEval eval;
  for (const Case& c : cases) EXPECT_EQ(eval(c.expr), c.expected) << c.expr;
}

const char kInvalid[] = "!Invalid procedure call or argument";
const char kMismatch[] = "!Data type mismatch";

TEST(VbaLibrary, Text) {
  Check({{"Left(Null, 2)", "NULL"}, {"Left(12345, '2')", "12"}, {"Right(Null, 1)", "NULL"}, {"Right(3.25, 2)", "25"},
         {"Mid(Null, 2)", "NULL"}, {"Mid(12345, '2', 2.5)", "23"}, {"Len(Null)", "NULL"}, {"Len(123.5)", "5"},
         {"LenB(Null)", "NULL"}, {"LenB(12)", "4"}, {"UCase(Null)", "NULL"}, {"UCase('é')", "É"}, {"UCase(1e3)", "1000"},
         {"LCase(Null)", "NULL"}, {"LCase('ÀB')", "àb"}, {"Trim(Null)", "NULL"}, {"Trim(12)", "12"},
         {"LTrim(Null)", "NULL"}, {"LTrim(' ' || 1)", "1"}, {"RTrim(Null)", "NULL"}, {"RTrim(2.5)", "2.5"},
         {"Space(Null)", "NULL"}, {"'[' || Space('3') || ']'", "[   ]"}, {"String(Null, 'a')", "NULL"},
         {"String('3', 65)", "AAA"}, {"String(2, 'xyz')", "xx"},
         {"String(2147483647, 'x')", "!string or blob too big"}, {"InStr(Null, 'a')", "NULL"},
         {"InStr(12345, 34)", "3"}, {"InStr(1, 'aBc', 'b', 0)", "0"}, {"InStrRev(Null, 'a')", "NULL"},
         {"InStrRev('abcabc', 'BC')", "5"}, {"InStrRev('abcabc', 'bc', 5)", "2"}, {"InStrRev(12312, 12, '3')", "1"},
         {"Chr(Null)", "NULL"}, {"Chr('65')", "A"}, {"ChrW(Null)", "NULL"}, {"ChrW('20013')", "中"}, {"ChrW(65536)", kInvalid},
         {"Asc(Null)", "NULL"}, {"Asc(65)", "54"}, {"Asc('')", kInvalid}, {"AscW(Null)", "NULL"},
         {"AscW('中')", "20013"}, {"AscB(Null)", "NULL"}, {"AscB('中')", "45"}, {"LeftB(Null, 2)", "NULL"},
         {"LeftB(1234, '4')", "12"}, {"RightB(Null, 2)", "NULL"}, {"RightB('a中', 3)", "中"}, {"MidB(Null, 1)", "NULL"},
         {"MidB(1234, '3', 2)", "2"}, {"InStrB(Null, 'a')", "NULL"}, {"InStrB(1234, 3)", "5"}, {"ChrB(Null)", "NULL"},
         {"ChrB('65')", "A"}, {"StrComp(Null, 'a')", "NULL"},
         {"StrComp('ABC', 'abc')", "0"}, {"StrComp('ABC', 'abc', 0)", "-1"}, {"StrComp(10, 9)", "-1"},
         {"StrConv(Null, 1)", "NULL"}, {"StrConv('hello wORLD', '3')", "Hello World"}, {"StrConv('Ab1 ', 4)", "Ａｂ１　"},
         {"StrConv('ア', 32)", "あ"}, {"StrConv('a', 64)", kInvalid}, {"StrReverse(Null)", "NULL"},
         {"StrReverse(123)", "321"}, {"StrReverse('中文ab')", "ba文中"}, {"Replace(Null, 'a', 'b')", "NULL"},
         {"Replace('aAa', 'a', 'x')", "xxx"}, {"Replace('aAa', 'a', 'x', 1, -1, 0)", "xAx"},
         {"Replace(1212, 1, 3, '2', 1)", "232"},
         // Positions and lengths in UTF-16 units: an emoji counts two, a cut through it drops the half.
         {"Len('a😀a')", "4"}, {"Left('a😀a', 3)", "a😀"}, {"Left('a😀a', 2)", "a"}, {"Right('a😀a', 2)", "a"},
         {"Mid('a😀bc', 4)", "bc"}, {"Mid('a😀bc', 2, 2)", "😀"}, {"InStr('a😀B', 'b')", "4"},
         {"InStr(4, '😀a😀a', 'A')", "6"}, {"InStrRev('a😀a😀', 'a')", "4"}, {"Replace('😀a😀a', 'A', 'x', 3)", "x😀x"}});
}

TEST(VbaLibrary, Conversion) {
  Check({{"CStr(Null)", "NULL"}, {"CStr(1.5)", "1.5"}, {"CLng(Null)", "NULL"}, {"CLng('2.5')", "2"}, {"CLng('1,234')", "1234"},
         {"CLng(3000000000)", "!Overflow"}, {"CInt(Null)", "NULL"}, {"CInt(' 7 ')", "7"}, {"CInt(32768)", "!Overflow"},
         {"CByte(Null)", "NULL"}, {"CByte('255.4')", "255"}, {"CByte(-1)", "!Overflow"}, {"CCur(Null)", "NULL"},
         {"CCur('1.23456')", "1.2346"}, {"CDbl(Null)", "NULL"}, {"CDbl('1e3')", "1000"}, {"CDbl('abc')", kMismatch},
         {"CDbl('&H1F') + CInt('&HFFFF')", "30"}, {"CDbl('0x1F')", kMismatch},
         {"CSng(Null)", "NULL"}, {"CSng('0.5')", "0.5"}, {"CBool(Null)", "NULL"}, {"CBool('0')", "0"},
         {"CBool(5)", "-1"}, {"CDate(Null)", "NULL"}, {"CDate('2000-01-02')", "36527"}, {"CDate('x')", kMismatch},
         {"CVDate(Null)", "NULL"}, {"CVDate('1/2/2000')", "36527"}, {"CVar(Null)", "NULL"}, {"CVar('a')", "a"},
         {"CDec(Null)", "NULL"}, {"CDec('1.5')", "1.5"}, {"Val(Null)", kMismatch}, {"Val(' 1 2.5x')", "12.5"},
         {"Val(12)", "12"}, {"Val('&H1F!')", "31"}, {"Str(Null)", "NULL"}, {"Str(5)", " 5"},
         {"Str('-0.5')", "-.5"}, {"Hex(Null)", "NULL"},
         {"Hex('255')", "FF"}, {"Hex(-1)", "FFFF"}, {"Hex(-40000)", "FFFF63C0"}, {"Hex(2.5)", "2"},
         {"Oct(Null)", "NULL"}, {"Oct('8')", "10"}, {"Oct(-1)", "177777"}});
}

TEST(VbaLibrary, Math) {
  Check({{"Int(Null)", "NULL"}, {"Int('-2.5')", "-3"}, {"Fix(Null)", "NULL"}, {"Fix('-2.5')", "-2"},
         {"Round(Null)", "NULL"}, {"Round('2.5')", "2"}, {"Sgn(Null)", "NULL"}, {"Sgn('-0.5')", "-1"},
         {"Abs(Null)", "NULL"}, {"Abs('-3')", "3"}, {"Sqr(Null)", "NULL"}, {"Sqr('16')", "4"}, {"Sqr(-1)", kInvalid},
         {"Exp(Null)", "NULL"}, {"Exp('0')", "1"}, {"Exp(1000)", "!Overflow"}, {"Log(Null)", "NULL"},
         {"Log('1')", "0"}, {"Log(Exp(2))", "2"}, {"Log(0)", kInvalid}, {"Sin(Null)", "NULL"}, {"Sin('0')", "0"},
         {"Cos(Null)", "NULL"}, {"Cos('0')", "1"}, {"Tan(Null)", "NULL"}, {"Tan('0')", "0"}, {"Atn(Null)", "NULL"},
         {"Atn('1') * 4", "3.14159265358979"}, {"Rnd(Null)", "NULL"},
         // the aggregates of the library, over one row
         {"First(Null)", "NULL"}, {"First(1.5)", "1.5"}, {"Last(Null)", "NULL"}, {"Last('a')", "a"},
         {"StDev(Null)", "NULL"}, {"StDev('2')", "NULL"}, {"StDevP(Null)", "NULL"}, {"StDevP('2')", "0"},
         {"Var(Null)", "NULL"}, {"Var('x')", kMismatch}, {"VarP(Null)", "NULL"}, {"VarP('2')", "0"},
         // VBA's generator: its first number, and the one seeded by -1.
         {"Rnd()", "0.705547511577606"}, {"Rnd('-1')", "0.2240070104599"}, {"Rnd(0)", "0.2240070104599"},
         // finance, against the published examples; colours
         {"Pmt(Null, 1, 1)", "NULL"}, {"Format(Pmt('0.08' / 12, '10', 10000), '0.00')", "-1037.03"},
         {"FV(Null, 1, 1)", "NULL"}, {"Format(FV(0.06 / 12, 10, -200, '-500', 1), '0.00')", "2581.40"},
         {"PV(Null, 1, 1)", "NULL"}, {"Format(PV(0.08 / 12, '240', 500), '0.00')", "-59777.15"},
         {"NPer(Null, 1, 1)", "NULL"}, {"Format(NPer(0.01, -100, -1000, '10000'), '0.00')", "60.08"},
         {"IPmt(Null, 1, 1, 1)", "NULL"}, {"Format(IPmt(0.1 / 12, '1', 36, 8000), '0.00')", "-66.67"},
         {"PPmt(Null, 1, 1, 1)", "NULL"}, {"Format(PPmt(0.1 / 12, 1, '24', 2000), '0.00')", "-75.62"},
         {"Rate(Null, 1, 1)", "NULL"}, {"Format(Rate('48', -200, 8000), '0.00%')", "0.77%"},
         {"SLN(Null, 1, 1)", "NULL"}, {"SLN('30000', 7500, 10)", "2250"}, {"SYD(Null, 1, 1, 1)", "NULL"},
         {"Format(SYD(30000, 7500, '10', 1), '0.00')", "4090.91"}, {"DDB(Null, 1, 1, 1)", "NULL"},
         {"Format(DDB(2400, 300, 3650, '1'), '0.00')", "1.32"}, {"Format(DDB(2400, 300, 10, 10), '0.00')", "22.12"},
         {"IRR(Null)", "NULL"}, {"NPV(Null, 1)", "NULL"}, {"NPV(0.1, '1')", kMismatch}, {"MIRR(Null, 1, 1)", "NULL"}, {"MIRR('1', 1, 1)", kMismatch},
         {"RGB(Null, 0, 0)", "NULL"}, {"RGB('255', 0, 300)", "16711935"}, {"QBColor(Null)", "NULL"},
         {"QBColor('12')", "255"}, {"QBColor(16)", kInvalid}});
}

TEST(VbaLibrary, DatesAndTimes) {
  // 36526 is 2000/1/1 (a Saturday); -1.5 is 1899/12/29 12:00 (a Friday).
  Check({{"Year(Null)", "NULL"}, {"Year('2000-01-02')", "2000"}, {"Month(Null)", "NULL"}, {"Month(36527)", "1"},
         {"Day(Null)", "NULL"}, {"Day('1/2/2000')", "2"}, {"Hour(Null)", "NULL"}, {"Hour(-1.5)", "12"},
         {"Minute(Null)", "NULL"}, {"Minute('13:45:30')", "45"}, {"Second(Null)", "NULL"}, {"Second('1:45:30 PM')", "30"},
         {"Weekday(Null)", "NULL"}, {"Weekday('2000-01-01')", "7"}, {"Weekday(36526, '2')", "6"}, {"Weekday(-1.5)", "6"},
         {"Date() = Int(Now())", "1"}, {"Time() < 1", "1"}, {"Len(Date$()) || Mid(Time$(), 3, 1)", "10:"}, {"Timer() >= 0 and Timer() < 86400", "1"},
         {"DateSerial(Null, 1, 1)", "NULL"}, {"DateSerial('2000', 14, 0)", "36922"}, {"TimeSerial(Null, 0, 0)", "NULL"},
         {"TimeSerial('12', 0, 0)", "0.5"}, {"TimeSerial(-1, 0, 0)", "-1.95833333333333"}, {"DateValue(Null)", "NULL"},
         {"DateValue('2000-01-02 12:00')", "36527"}, {"DateValue(-1.5)", "-1"}, {"TimeValue(Null)", "NULL"},
         {"TimeValue('2000-01-02 18:00')", "0.75"}, {"TimeValue(-1.5)", "0.5"}, {"DateAdd('m', Null, 36526)", "NULL"},
         {"DateAdd('m', '1', '2000-01-31')", "36585"}, {"DateAdd('yyyy', 1, '2000-02-29')", "36950"},
         {"DateAdd('h', 36, 36526)", "36527.5"}, {"DateAdd('n', 30, -1.5)", "-1.52083333333333"},
         {"DateAdd('ww', -1, 36526)", "36519"}, {"DateAdd('x', 1, 1)", kInvalid}, {"DateAdd('d', 1, 'soon')", kMismatch},
         {"DateDiff('d', Null, 1)", "NULL"}, {"DateDiff('d', '2000-01-01 23:00', '2000-01-02 01:00')", "1"},
         {"DateDiff('h', '2000-01-01 23:59', '2000-01-02 01:00')", "2"}, {"DateDiff('yyyy', '2000-12-31', 36892)", "1"},
         {"DateDiff('m', 36526, 36585)", "1"}, {"DateDiff('q', '2000-03-31', '2000-04-01')", "1"},
         {"DateDiff('ww', '2000-01-01', '2000-01-02')", "1"}, {"DateDiff('ww', '2000-01-01', '2000-01-02', 2)", "0"},
         {"DateDiff('w', '2000-01-01', '2000-01-14')", "1"}, {"DateDiff('s', -1.5, -1)", "-43200"},
         {"DatePart('q', Null)", "NULL"}, {"DatePart('q', '2000-05-01')", "2"}, {"DatePart('y', '2000-03-01')", "61"},
         {"DatePart('ww', '2000-01-01')", "1"}, {"DatePart('ww', '2000-01-02')", "2"},
         {"DatePart('ww', '2000-01-01', 1, 3)", "52"}, {"DatePart('ww', '2000-01-01', 2, 2)", "52"},
         {"DatePart('w', '2000-01-01', 2)", "6"}, {"DatePart('n', '12:34:56')", "34"}, {"MonthName(Null)", "NULL"},
         {"MonthName('2')", "February"}, {"MonthName(2, -1)", "Feb"}, {"MonthName(13)", kInvalid},
         {"WeekdayName(Null)", "NULL"}, {"WeekdayName('1')", "Sunday"}, {"WeekdayName(1, -1, 2)", "Mon"}});
}

TEST(VbaLibrary, TypeChecksAndChoice) {
  Check({{"IIf(Null, 1, 2)", "2"}, {"IIf('1', 'a', 'b')", "a"}, {"Nz(Null, 0)", "0"}, {"Nz('', 'x')", ""},
         {"IsNull(Null)", "-1"}, {"IsNull('')", "0"}, {"IsNumeric(Null)", "0"}, {"IsNumeric(' -1,234.5 ')", "-1"},
         {"IsNumeric('&HFF')", "-1"}, {"IsNumeric('(12)')", "-1"}, {"IsNumeric('1e')", "0"}, {"IsNumeric('12abc')", "0"},
         {"IsDate(Null)", "0"}, {"IsDate('2000-02-30')", "0"}, {"IsDate('Jan 5, 2000')", "-1"},
         {"IsDate(36526.5)", "-1"}, {"IsDate(5)", "0"}, {"IsEmpty(Null)", "0"}, {"IsEmpty('')", "0"},
         {"IsError(Null)", "0"}, {"IsError('x')", "0"}, {"IsArray(Null)", "0"}, {"IsObject(Null)", "0"}, {"IsObject(1)", "0"},
         {"IsMissing(Null)", "0"}, {"IsMissing('')", "0"}, {"VarType(Null)", "1"}, {"VarType('1')", "8"},
         {"VarType(1)", "3"}, {"VarType(1.5)", "5"}, {"TypeName(Null)", "Null"}, {"TypeName('2')", "String"},
         {"Choose(Null, 'a')", "NULL"}, {"Choose('2', 'a', 'b')", "b"}, {"Choose(3, 'a', 'b')", "NULL"},
         {"Choose(1.6, 'a', 'b')", "b"}, {"Switch(Null, 1, -1, 2)", "2"}, {"Switch('0', 'a', '1', 'b')", "b"},
         {"Switch(0, 1)", "NULL"}, {"Switch(1)", "!wrong number of arguments"}, {"Partition(Null, 0, 9, 5)", "NULL"},
         {"Partition('7', 0, 99, 5)", "  5:  9"}, {"Partition(-1, 0, 99, 5)", "   : -1"},
         {"Partition(150, 0, 99, 5)", "100:   "}, {"Partition(1, 1, 0, 1)", kInvalid},
         {"Partition(5, 0, 9, 1e300)", " 0: 9"}});
}

TEST(VbaLibrary, Format) {
  Check({// numbers: sections, digit slots, grouping, scaling, percent, exponents
         {"Format(Null)", "NULL"}, {"Format(Null, '0;-0;z;\"none\"')", "none"}, {"Format(1.5)", "1.5"},
         {"Format('1234.5', '#,##0.00')", "1,234.50"}, {"Format(0.125, '0.00')", "0.13"},
         {"Format(-0.001, '0.00')", "0.00"}, {"Format(-5, '0;(0)')", "(5)"}, {"Format(0, '0;(0);\"zero\"')", "zero"},
         {"Format(5, '#.##')", "5."}, {"Format(0.5, '#.##')", ".5"}, {"Format(1234567, '#,##0,')", "1,235"},
         {"Format(0.256, '0.0%')", "25.6%"}, {"Format(12345.678, '0.00E+00')", "1.23E+04"},
         {"Format(0.000123, '0.0e-0')", "1.2e-4"}, {"Format(5551234567, '(###) ###-####')", "(555) 123-4567"},
         {"Format(42, '00000')", "00042"}, {"Format('abc', '0.00')", "abc"},
         // named number formats
         {"Format(-1234.5, 'Currency')", "¥-1,234.50"}, {"Format(1234.5, 'Standard')", "1,234.50"},
         {"Format('0.5', 'Percent')", "50.00%"}, {"Format(1234.5, 'Scientific')", "1.23E+03"},
         {"Format(3, 'Fixed')", "3.00"}, {"Format(1.5, 'General Number')", "1.5"}, {"Format(0, 'Yes/No')", "No"},
         {"Format(-1, 'True/False')", "True"}, {"Format('2', 'On/Off')", "On"},
         // dates: named formats and patterns
         {"Format(36526.5, 'General Date')", "2000/1/1 12:00:00"}, {"Format('2000-01-02', 'Long Date')", "2000年1月2日"},
         {"Format(36527, 'Medium Date')", "00-Jan-02"}, {"Format(36527, 'Short Date')", "2000/1/2"},
         {"Format(0.75, 'Long Time')", "18:00:00"}, {"Format(0.75, 'Medium Time')", "06:00 PM"},
         {"Format(0.75, 'Short Time')", "18:00"}, {"Format('2000-01-02')", "2000/1/2"},
         {"Format(36527.75, 'dddd, mmmm d, yyyy h:nn AM/PM')", "Sunday, January 2, 2000 6:00 PM"},
         {"Format(36527.75, 'ddd dd/mm/yy hh:mm:ss')", "Sun 02/01/00 18:00:00"}, {"Format(36527, 'q y w ww')", "1 2 1 2"},
         {"Format(36527, 'ww', 2)", "1"}, {"Format(0.5007, 'mm:ss')", "01:00"}, {"Format(36527.5, 'c')", "2000/1/2 12:00:00"},
         {"Format(36527, '\"Day\" d')", "Day 2"},
         // text
         {"Format('abc', '@@@@@')", "  abc"}, {"Format('abc', '!@@@@@')", "abc  "}, {"Format('abc', '>')", "ABC"},
         {"Format('abcdef', '@@@')", "abcdef"}, {"Format(5551234, '@@@-@@@@')", "555-1234"},
         {"Format('', '@;\"empty\"')", "empty"}, {"Format(12, '&&&&')", "12"},
         // the Format... functions
         {"FormatNumber(Null)", "NULL"}, {"FormatNumber('1234.567')", "1,234.57"}, {"FormatNumber(-0.5, 1, 0, -1)", "(.5)"},
         {"FormatNumber(1234.5, 0, -2, -2, 0)", "1235"}, {"FormatCurrency(Null)", "NULL"},
         {"FormatCurrency('-3')", "¥-3.00"}, {"FormatPercent(Null)", "NULL"}, {"FormatPercent('0.1234', 1)", "12.3%"},
         {"FormatDateTime(Null)", "NULL"}, {"FormatDateTime('2000-01-02 18:00', 0)", "2000/1/2 18:00:00"},
         {"FormatDateTime(36527.75, 1)", "2000年1月2日"}, {"FormatDateTime(36527.75, 4)", "18:00"},
         {"FormatDateTime('x')", kMismatch}});
}

}  // namespace
