// The types of expressions, as Jet gives them: every column reference, literal,
// operator, function and aggregate of a translated statement is typed, so that
// the cursor hands out a date where Jet gives a date and -1 where Jet gives True.
// Internal to the SQL translation (Translate.cpp).
#pragma once
#include "platform/jet/sql/Tree.h"

namespace jet::sql {

// Types the rewritten statement `root` (its tables' columns through `lookup`, which
// may be null) and returns the types of its result. On the way it rewrites what
// depends on a type (a date joined to text or given to CStr takes the date's text
// form) and throws what Jet refuses: JET_E_TYPEMISMATCH for text compared with a
// number, JET_E_SYNTAX for DISTINCT inside an aggregate.
ResultTypes TypeStatement(List& root, const ColumnLookup* lookup);

// The SQL function that gives a date (a day number) its text form, as
// VariantChangeType writes a VT_DATE; text and NULL pass unchanged.
extern const char kDateTextFunction[];
// The same for a Single, with its 7 significant digits as VariantChangeType
// writes a VT_R4; other values pass unchanged.
extern const char kSingleTextFunction[];

}  // namespace jet::sql
