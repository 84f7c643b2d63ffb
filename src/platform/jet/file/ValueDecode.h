// One field's bytes as a VARIANT, by the column's Access type. Long values (Memo,
// OLE Object) are followed through their LVAL pages here too.
#pragma once
#include <bitset>
#include <cstdint>
#include <unordered_map>
#include <vector>
#include "platform/com/Variant.h"
#include "platform/jet/file/RowCrack.h"

namespace jet {

class CodePageDecoder;
class ComplexColumns;

// What decoding needs beyond the field: the file for long values, a page buffer of
// its own for them, the Jet 3 code page, scratch space that is reused, and the
// entries of complex columns (without them, a complex column reads as its key).
struct DecodeContext {
  const Pager& pager;
  PageBuffer& lvalPage;
  CodePageDecoder& codePage;
  std::vector<uint8_t> scratch;
  ComplexColumns* complex = nullptr;
  // The LVAL rows this pass over a table has read, by page. Every LVAL row belongs
  // to one value of one record, so a row met twice is damage: a chain that loops, or
  // records that share a value. With it no pass reads more long-value bytes than the
  // file holds.
  std::unordered_map<uint32_t, std::bitset<256>> lvalRowsRead;
};

// Writes the value into *out, reusing its storage. E_FAIL for a damaged value.
void DecodeValue(const ColumnLayout& column, const FieldSpan& field, DecodeContext& ctx,
                 VARIANT* out);

// Text as the file stores it (Jet 4 UTF-16, plain or compressed; Jet 3 code page).
void DecodeText(const uint8_t* p, uint32_t len, DecodeContext& ctx, VARIANT* out);
// The stored result of a calculated column, in the column's type.
void DecodeCalculated(const ColumnLayout& column, const FieldSpan& field, DecodeContext& ctx,
                      VARIANT* out);
// A Date/Time Extended value (42 ASCII bytes).
void DecodeExtendedDate(const uint8_t* p, uint32_t len, VARIANT* out);

// The bytes of a long value from its 12-byte field header (inline, one LVAL row, or a
// chain of them). Returns a pointer into the field or into ctx.scratch. E_FAIL when
// the LVAL rows do not hold exactly the length the header claims, or when one of
// them was read before.
const uint8_t* ReadLongValue(const FieldSpan& field, DecodeContext& ctx, uint32_t* len);

}  // namespace jet
