// Jet's refusals, a pass of their own over the typed tree (Resolve.h), each
// with Jet's code: JET_E_NOCOLUMN for a function Jet does not have or a field's
// alias used in WHERE, JET_E_TYPEMISMATCH for text compared with a number,
// JET_E_SYNTAX for fields neither grouped nor aggregated, an ORDER BY a DISTINCT
// or grouped select cannot sort by, an aggregate of several arguments and
// DISTINCT inside an aggregate. (A subquery used as a value that gives several
// rows is refused as it runs: ScalarSubqueries.h.) Internal to the SQL translation.
#pragma once
#include "platform/jet/sql/Resolve.h"

namespace jet::sql {

void CheckRefusals(const Query& q, const Resolution& r);
void CheckRefusals(const Node& n, const Resolution& r);

}  // namespace jet::sql
