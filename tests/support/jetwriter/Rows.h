// How a table's columns sit in a Jet 4 row, and the encoding of one row of
// VARIANTs into the bytes of a data-page row:
//   [column count u16][fixed columns][variable columns][end offset u16]
//   [variable column offsets u16, last column first][variable count u16][null mask]
// (the part from the end offset on only when the table has variable columns).
// A null-mask bit is 1 for a value that is present; a Yes/No value is its bit.
#pragma once
#include <cstdint>
#include <vector>
#include "support/JetWriter.h"
#include "support/jetwriter/Pages.h"

namespace jetwriter {

struct ColumnLayout {
  Column def;
  int number = 0;        // position in the table, also its null-mask bit
  bool fixed = false;    // in the fixed area (Yes/No too, with size 0)
  int size = 0;          // bytes in the fixed area, or the column's maximum length
  int fixedOffset = 0;   // from the end of the column count
  int varIndex = 0;      // entry in the variable offset table
  int32_t complexId = 0; // complex columns: their row in MSysComplexColumns
};

struct TableLayout {
  std::vector<ColumnLayout> columns;
  int fixedSize = 0;
  int varCount = 0;
};
TableLayout LayOut(const std::vector<Column>& columns);

// Memo and OLE values too long to sit in their row go to LVAL pages: up to a page
// as one record on a shared LVAL page, longer ones as a chain of records each
// holding the pointer to the next.
class LongValues {
 public:
  // A fault other than None writes every value bound for LVAL pages as a wrong chain
  // (see ChainFault); loopClaim is the length the loops claim.
  explicit LongValues(PageFile& file, ChainFault fault = ChainFault::None, uint32_t loopClaim = 0)
      : file_(file), page_(RowPage::kLvalOwner), fault_(fault), loopClaim_(loopClaim) {}
  // Appends the 12-byte long-value header for `data` to `row`, followed by the data
  // itself when it is short (64 bytes at most), else the data goes to LVAL pages.
  void Put(const std::vector<uint8_t>& data, std::vector<uint8_t>& row);
  void Flush();  // writes the LVAL page being filled

 private:
  void PutFaultyChain(const std::vector<uint8_t>& data, uint8_t* header);
  PageFile& file_;
  RowPage page_;
  uint32_t pageNumber_ = 0;
  ChainFault fault_;
  uint32_t loopClaim_;
  uint8_t sharedHeader_[12] = {};  // ChainFault::Shared: the first value's header
  bool sharedWritten_ = false;
};

// Encodes one row; a complex column's value is its key (VT_I4). Throws
// std::runtime_error for a value that does not fit its column.
void EncodeRow(const TableLayout& layout, const std::vector<VARIANT>& values,
               LongValues& longValues, std::vector<uint8_t>& out);

}  // namespace jetwriter
