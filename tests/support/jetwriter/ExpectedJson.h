// What a file written from `tables` and `queries` holds, as JSON, for comparing with
// what an independent reader finds in it (tests/crosscheck/check.js):
//   {"tables": [{"name", "system", ["unordered",] "columns": [{"name", "type"}], "rows": [[...]]}],
//    "systemTables": [names of the built-in system tables], "queries": [names]}
// Column types are named as mdb-reader names them ("text", "long", "repid", ...).
// Values: text as strings, whole numbers, Single and Double as numbers, Date/Time as
// its day number, Yes/No as true/false, Currency as a string of its ten-thousandths,
// Decimal as a plain decimal string, Replication ID as "{...}", OLE and Binary as
// hex strings, Large Number as a decimal string, Date/Time Extended as its text,
// NULL as null; a complex column's value is {"key": the row's key, "text": its
// entries (attachments: file names) joined by ", ", or null for none}. Deleted rows
// are left out; "unordered" marks a table with overflow rows, whose rows a reader
// may give in another order; "calculated" names a table's calculated columns. The
// hidden tables of an .accdb's complex columns are listed as the system tables they are.
#pragma once
#include <string>
#include <vector>
#include "support/JetWriter.h"

namespace jetwriter {

const char* ReaderTypeName(jet::AccessType type);
// Throws std::runtime_error when the file cannot be written.
void WriteExpectedJson(const std::string& path, const std::vector<Table>& tables,
                       const std::vector<SavedQuery>& queries, FileFormat format = kJet4);

}  // namespace jetwriter
