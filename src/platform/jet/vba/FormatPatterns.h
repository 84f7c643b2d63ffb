// The pattern engines behind Format and its relatives: numbers, dates and texts.
// The regional forms are the ones the program's date texts already use.
#pragma once
#include <string>
#include <vector>

namespace jet::vba {

extern const char kShortDate[];  // yyyy/m/d
extern const char kLongDate[];   // yyyy年m月d日
extern const char kLongTime[];   // h:nn:ss (24 hours)

// A date value in a date pattern; the day number's text when it is no date.
std::string FormatDate(double value, const std::string& pattern, int firstDay, int firstWeek);
// The General Date form: the time alone on day 0, the date alone at midnight.
std::string GeneralDate(double value);

// A number in a pattern of sections (positive;negative;zero;null): a missing or
// empty section borrows the first, which shows a minus sign itself.
std::string FormatNumberPattern(double value, const std::vector<std::string>& sections);
// A magnitude (>= 0) in one number section, with no sign of its own.
std::string FormatNumberSection(double magnitude, const std::string& section);

}  // namespace jet::vba
