// Memo and OLE Object values: a 12-byte header in the row, the bytes either right
// after it, in one row of an LVAL page, or in a chain of such rows.
#include "platform/jet/file/ValueDecode.h"

namespace jet {

// A long value that does not hold together, named by the LVAL page it led to.
[[noreturn]] static void Broken(uint32_t pointer) {
  Damaged(Check::LongValueChain, pointer >> 8, PageKind::LongValue);
}

// The LVAL row a pointer names, on a checked LVAL page, marked as read: a row read
// twice in one pass is damage. A pointer to a page of any other kind (a zeroed page
// too) is damage: its bytes are no value.
static RowSpan LvalRow(DecodeContext& ctx, uint32_t pointer) {
  const RowSpan span = FollowPointer(ctx.pager, ctx.lvalPage, pointer, kLongValueOwner, PageKind::LongValue);
  std::bitset<256>& read = ctx.lvalRowsRead[pointer >> 8];
  if (read.test(pointer & 0xFF)) Broken(pointer);
  read.set(pointer & 0xFF);
  return span;
}

const uint8_t* ReadLongValue(const FieldSpan& field, DecodeContext& ctx, uint32_t* len) {
  if (field.len < 12) Damaged(Check::FieldSize);
  const uint32_t head = Get32(field.data);
  const uint32_t total = head & 0x3FFFFFFF;
  const uint32_t pointer = Get32(field.data + 4);
  // No value can be longer than the file that holds it.
  if (total > static_cast<uint64_t>(ctx.pager.PageCount()) * ctx.pager.PageSize()) Broken(pointer);
  *len = total;
  if (total == 0) return field.data;
  if (head & 0x80000000u) {  // inline
    if (total > field.len - 12) Damaged(Check::RowBounds);
    return field.data + 12;
  }
  ctx.scratch.clear();
  if (head & 0x40000000u) {  // one LVAL row, exactly the value
    const RowSpan span = LvalRow(ctx, pointer);
    if (span.end - span.begin != total) Broken(pointer);
    ctx.scratch.assign(ctx.lvalPage.Data() + span.begin, ctx.lvalPage.Data() + span.end);
  } else {
    // A chain: each row starts with the pointer to the next, the last one's is 0, and
    // the pieces add up to exactly the claimed length. No row is read twice, so the
    // walk costs what the chain's own rows hold.
    ctx.scratch.reserve(std::min<uint32_t>(total, 1u << 20));  // grows as pieces arrive
    uint32_t next = pointer;
    while (ctx.scratch.size() < total) {
      if (next == 0) Broken(pointer);  // the chain ends short of the claim
      const uint32_t here = next;
      const RowSpan span = LvalRow(ctx, here);
      if (span.end - span.begin <= 4) Broken(here);
      const uint8_t* row = ctx.lvalPage.Data() + span.begin;
      next = Get32(row);
      const uint32_t piece = span.end - span.begin - 4;
      if (piece > total - ctx.scratch.size()) Broken(here);  // more than the claim
      ctx.scratch.insert(ctx.scratch.end(), row + 4, row + 4 + piece);
    }
    if (next != 0) Broken(next);  // the chain goes on past the claim
  }
  return ctx.scratch.data();
}

}  // namespace jet
