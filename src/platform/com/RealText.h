// The text VariantChangeType gives a Single or a Double: the shortest digits that
// read back as the same value, at most 7 (Single) or 15 (Double) significant
// digits, rounded half away from zero at that limit; '.' as the point; plain form
// for magnitudes from 1E-04 up to 8 (Single) or 15 (Double) integer digits, else
// "d.dddE+nn" / "d.dddE-nn". So 12345678 as a Single reads "12345680" while
// 1E+15 as a Double reads "1E+15".
#pragma once
#include <string>

std::string SingleText(float value);
std::string DoubleText(double value);
