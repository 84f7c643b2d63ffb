#include "platform/jet/file/RowCrack.h"

namespace jet {

// Offsets of the variable columns (entry i = start of variable column i, the last
// entry = end of the variable data), read from the tail of the row.
static uint32_t ReadVarOffsets(const JetFormat& f, const uint8_t* r, uint32_t len,
                               uint32_t maskSize, std::vector<uint32_t>* out) {
  if (f.jet4) {
    if (len < 2 + maskSize + 2) Damaged(Check::RowBounds);
    const uint32_t count = Get16(r + len - maskSize - 2);
    if (2 + maskSize + 2 + 2 * (count + 1) > len) Damaged(Check::RowBounds);
    out->resize(count + 1);
    uint32_t* offsets = out->data();
    for (uint32_t i = 0; i <= count; ++i) offsets[i] = Get16(r + len - maskSize - 4 - 2 * i);
    return count;
  }
  // Jet 3 keeps one-byte offsets; a jump table records at which variable column each
  // further 256 bytes begins. Its size follows from the row's length, which may leave
  // one dummy entry.
  if (len < 1 + maskSize + 1) Damaged(Check::RowBounds);
  const int64_t last = static_cast<int64_t>(len) - 1;
  const uint32_t count = r[last - maskSize];
  uint32_t jumps = (len - 1) / 256;
  const int64_t colPtr = last - maskSize - jumps - 1;
  if (colPtr - static_cast<int64_t>(count) < 1) Damaged(Check::RowBounds);
  if ((colPtr - count) / 256 < jumps) --jumps;
  out->resize(count + 1);
  uint32_t* offsets = out->data();
  uint32_t used = 0;
  for (uint32_t i = 0; i <= count; ++i) {
    while (used < jumps && i == r[last - maskSize - used - 1]) ++used;
    offsets[i] = r[colPtr - i] + used * 256;
  }
  return count;
}

void CrackRow(const JetFormat& f, const TableDef& table, const uint8_t* r, uint32_t len,
              std::vector<FieldSpan>* fields, std::vector<uint32_t>* offsetTable) {
  const uint32_t countSize = f.jet4 ? 2 : 1;
  if (len < countSize) Damaged(Check::RowBounds);
  const uint32_t numCols = f.jet4 ? Get16(r) : r[0];
  const uint32_t maskSize = (numCols + 7) / 8;
  if (countSize + maskSize > len) Damaged(Check::NullMask);
  const uint8_t* mask = r + len - maskSize;

  uint32_t varCount = 0;
  if (table.varColumnCount > 0) varCount = ReadVarOffsets(f, r, len, maskSize, offsetTable);
  const uint32_t* offsets = offsetTable->data();
  const uint32_t dataEnd = len - maskSize;
  // The variable columns lie one after another: their offsets never fall, and the
  // last (the end of the variable data) stays inside the row. A row whose offsets
  // do not is not what it claims, NULL columns or not.
  for (uint32_t i = 0; i < varCount; ++i)
    if (offsets[i] > offsets[i + 1]) Damaged(Check::RowBounds);
  if (varCount > 0 && (offsets[0] < countSize || offsets[varCount] > dataEnd)) Damaged(Check::RowBounds);
  const uint32_t fixedInRow = numCols >= varCount ? numCols - varCount : 0;

  fields->resize(table.columns.size());
  uint32_t fixedSeen = 0;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnLayout& c = table.columns[i];
    FieldSpan& out = (*fields)[i];
    out = FieldSpan();
    const bool present = c.number < numCols && (mask[c.number / 8] >> (c.number % 8) & 1);
    if (c.def.type == AccessType::Boolean && !c.calculated) {
      out.bit = present;
      out.data = r;  // never NULL
      if (c.fixed) ++fixedSeen;
      continue;
    }
    if (c.fixed) {
      // Rows written before a fixed column was added hold fewer fixed columns.
      if (fixedSeen++ >= fixedInRow || !present) continue;
      const uint32_t begin = countSize + c.fixedOffset;
      if (begin + c.size > dataEnd) Damaged(Check::RowBounds);
      out.data = r + begin;
      out.len = c.size;
    } else {
      if (c.varIndex >= varCount || !present) continue;
      const uint32_t begin = offsets[c.varIndex], end = offsets[c.varIndex + 1];
      if (begin < countSize || begin > end || end > dataEnd) Damaged(Check::RowBounds);
      out.data = r + begin;
      out.len = end - begin;
    }
  }
}

}  // namespace jet
