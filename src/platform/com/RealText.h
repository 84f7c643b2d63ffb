// The text VariantChangeType gives a Single or a Double: C's "%.7G" / "%.15G" on
// the value widened to double, with '.' as the point. So the value is rounded to 7
// (Single) or 15 (Double) significant digits, trailing zeros are dropped, and the
// form is "d.dddE+nn" / "d.dddE-nn" when the decimal exponent is below -4 or at
// least the digit count: the Single 16777216 reads "1.677722E+07", the Double 1E+15
// reads "1E+15". No printf: std::to_chars gives the digits.
#pragma once
#include <string>

// Longest text either function writes ("-1.79769313486232E+308" and the like).
constexpr int kRealTextMax = 32;

// Write the text at out (room for kRealTextMax chars) and return its end.
char* PutSingleText(float value, char* out);
char* PutDoubleText(double value, char* out);

std::string SingleText(float value);
std::string DoubleText(double value);
