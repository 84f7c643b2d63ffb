// Dates as Jet reads them in #...# literals and in text handed to date functions:
// US month/day/year or year-month-day, an optional time (h:mm[:ss] [AM|PM]), or a
// time alone (which falls on day 0, 1899/12/30). The result is the OLE day number.
#pragma once
#include <string>

namespace jet {

bool ParseJetDate(const std::string& text, double* dayNumber);

}  // namespace jet
