// Jet's crosstab: TRANSFORM value SELECT ... PIVOT heading [IN (h1, h2, ...)].
// Its columns are the select's row headings, then one column per heading: the
// headings of the IN list, or else every value the heading takes over the rows
// (in Jet's order, NULL first as "<>"). The value's aggregates are computed per
// row and heading; a row with no data for a heading has NULL there.
// Without an IN list the translation takes two steps: TranslateJetSql gives no
// text but the select of the headings (StatementShape::headingsSql); the runner
// reads them with ReadCrosstabHeadings and calls TranslateCrosstab with them.
#pragma once
#include <string>
#include <vector>

#include "platform/jet/sql/Translate.h"
#include "platform/jet/sql/VirtualTable.h"

struct sqlite3_stmt;

namespace jet {

struct CrosstabHeading {
  std::string name;     // the column's name: the value's text form
  std::string literal;  // the value as SQLite text
};

// Steps the headings select to its end; `type` is the headings' AccessType
// (StatementShape::headingType), -1 when unknown. Throws _com_error as a failed
// step does.
std::vector<CrosstabHeading> ReadCrosstabHeadings(sqlite3_stmt* stmt, ScanState* state, int type);

std::string TranslateCrosstab(const std::string& jetSql, const std::vector<CrosstabHeading>& headings,
                              StatementShape* shape, const ColumnLookup* lookup = nullptr);

}  // namespace jet
