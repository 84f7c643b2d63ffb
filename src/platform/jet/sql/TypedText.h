// The SQL functions that give typed values their text forms inside a statement
// (TypedText.cpp). Internal to the SQL translation.
#pragma once

namespace jet::sql {

// The SQL function that gives a date (a day number) its text form, as
// VariantChangeType writes a VT_DATE; text and NULL pass unchanged.
extern const char kDateTextFunction[];
// The same for a Single, with its 7 significant digits as VariantChangeType
// writes a VT_R4; other values pass unchanged.
extern const char kSingleTextFunction[];

}  // namespace jet::sql
