// Memo and OLE Object values: a 12-byte header in the row, the bytes either right
// after it, in one row of an LVAL page, or in a chain of such rows.
#include "platform/jet/file/ValueDecode.h"

namespace jet {

// The LVAL row a pointer names, marked as read: a row read twice in one pass is damage.
static RowSpan LvalRow(DecodeContext& ctx, uint32_t pointer) {
  const RowSpan span = FollowPointer(ctx.pager, ctx.lvalPage, pointer);
  const uint8_t* page = ctx.lvalPage.Data();
  if (std::memcmp(page + 4, "LVAL", 4) != 0) Damaged();
  std::bitset<256>& read = ctx.lvalRowsRead[pointer >> 8];
  if (read.test(pointer & 0xFF)) Damaged();
  read.set(pointer & 0xFF);
  return span;
}

const uint8_t* ReadLongValue(const FieldSpan& field, DecodeContext& ctx, uint32_t* len) {
  if (field.len < 12) Damaged();
  const uint32_t head = Get32(field.data);
  const uint32_t total = head & 0x3FFFFFFF;
  const uint32_t pointer = Get32(field.data + 4);
  // No value can be longer than the file that holds it.
  if (total > static_cast<uint64_t>(ctx.pager.PageCount()) * ctx.pager.PageSize()) Damaged();
  *len = total;
  if (total == 0) return field.data;
  if (head & 0x80000000u) {  // inline
    if (total > field.len - 12) Damaged();
    return field.data + 12;
  }
  ctx.scratch.clear();
  if (head & 0x40000000u) {  // one LVAL row, exactly the value
    const RowSpan span = LvalRow(ctx, pointer);
    if (span.end - span.begin != total) Damaged();
    ctx.scratch.assign(ctx.lvalPage.Data() + span.begin, ctx.lvalPage.Data() + span.end);
  } else {
    // A chain: each row starts with the pointer to the next, the last one's is 0, and
    // the pieces add up to exactly the claimed length. No row is read twice, so the
    // walk costs what the chain's own rows hold.
    ctx.scratch.reserve(std::min<uint32_t>(total, 1u << 20));  // grows as pieces arrive
    uint32_t next = pointer;
    while (ctx.scratch.size() < total) {
      if (next == 0) Damaged();  // the chain ends short of the claim
      const RowSpan span = LvalRow(ctx, next);
      if (span.end - span.begin <= 4) Damaged();
      const uint8_t* row = ctx.lvalPage.Data() + span.begin;
      next = Get32(row);
      const uint32_t piece = span.end - span.begin - 4;
      if (piece > total - ctx.scratch.size()) Damaged();  // more than the claim
      ctx.scratch.insert(ctx.scratch.end(), row + 4, row + 4 + piece);
    }
    if (next != 0) Damaged();  // the chain goes on past the claim
  }
  return ctx.scratch.data();
}

}  // namespace jet
