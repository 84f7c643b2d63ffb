// Damage and its place: which check failed, on which page, of which table. A check
// that fails throws Damage; the row stream, which knows the table and the data page
// it stands on, turns it into the provider's error, E_FAIL with a description such
// as "table Orders: data page 1234 is damaged (row offsets outside the page)".
#pragma once
#include <cstdint>
#include <string>
#include "platform/com/ComError.h"

namespace jet {

// The checks the reader makes on what it reads: a small set, each a way in which
// a file can be damaged.
enum class Check : uint8_t {
  PageType,         // the page is not of the kind that led to it
  Owner,            // a data page of another table
  RowCount,         // the page counts more rows than it can hold
  RowOffsets,       // the row offsets lie outside the page, out of order, or
                    // disagree with the page's free space
  RowBounds,        // a row's own tables or fields lie outside the row
  NullMask,         // the null mask does not fit the row
  FieldSize,        // a value is shorter than its type
  MovedRow,         // a moved row's pointer leads nowhere sensible or is shared
  LongValueChain,   // a long value's rows do not hold what its header claims
  UsageMap,         // the table's map of its pages cannot be read
  TableDefinition,  // the table definition does not hold together
  Catalog,          // the catalog's entries do not hold together
  PageNumber,       // a page number beyond the end of the file
  RecordsMissing,   // fewer records than the table definition counts
  Entries,          // the hidden tables of a multi-value or attachment column
  FileEnd,          // the file ends partway through a page: it was cut short
  Properties,       // a table's properties blob does not hold together
  Indexes,          // an index entry names no column of its table, or none
};

// What the damaged page was to the reader.
enum class PageKind : uint8_t { Data, LongValue, UsageMap, TableDefinition };

constexpr uint32_t kNoPage = UINT32_MAX;

// Thrown by a failed check. It is the provider's error already (E_FAIL, described
// with the page where one is known), so that it reads right wherever it ends up;
// the row stream adds the table.
class Damage : public _com_error {
 public:
  Damage(Check check, uint32_t page, PageKind kind);
  Check check;
  uint32_t page;  // kNoPage: the check did not know it; the row stream's data page
  PageKind kind;
};

[[noreturn]] void Damaged(Check check, uint32_t page = kNoPage, PageKind kind = PageKind::Data);

// The check in words ("row offsets outside the page"), in the program's language.
std::string CheckText(Check check);
// A short fixed name for reports read by programs ("row-offsets").
const char* CheckName(Check check);
// The page's kind in words ("data page").
std::string PageKindText(PageKind kind);

// The provider's error for damage in a table: E_FAIL, marked as damage, its
// description naming the table, the page (when known) and the check.
_com_error DamageError(const std::string& table, Check check, uint32_t page, PageKind kind);

}  // namespace jet
