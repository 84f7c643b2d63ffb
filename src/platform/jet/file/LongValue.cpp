// Memo and OLE Object values: a 12-byte header in the row, the bytes either right
// after it, in one row of an LVAL page, or in a chain of such rows.
#include "platform/jet/file/ValueDecode.h"

namespace jet {

static RowSpan LvalRow(DecodeContext& ctx, uint32_t pointer) {
  const RowSpan span = FollowPointer(ctx.pager, ctx.lvalPage, pointer);
  const uint8_t* page = ctx.lvalPage.Data();
  if (std::memcmp(page + 4, "LVAL", 4) != 0) Damaged();
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
  if (head & 0x40000000u) {  // one LVAL row
    const RowSpan span = LvalRow(ctx, pointer);
    const uint32_t have = span.end - span.begin;
    if (have < total) Damaged();
    ctx.scratch.assign(ctx.lvalPage.Data() + span.begin, ctx.lvalPage.Data() + span.begin + total);
  } else {
    // A chain: each row starts with the pointer to the next. Every step adds at least
    // one byte, so the walk ends after at most `total` steps.
    ctx.scratch.reserve(std::min<uint32_t>(total, 1u << 20));  // grows as pieces arrive
    uint32_t next = pointer;
    while (ctx.scratch.size() < total) {
      if (next == 0) Damaged();
      const RowSpan span = LvalRow(ctx, next);
      if (span.end - span.begin <= 4) Damaged();
      const uint8_t* row = ctx.lvalPage.Data() + span.begin;
      next = Get32(row);
      const uint32_t piece = std::min<uint32_t>(span.end - span.begin - 4,
                                                total - static_cast<uint32_t>(ctx.scratch.size()));
      ctx.scratch.insert(ctx.scratch.end(), row + 4, row + 4 + piece);
    }
  }
  return ctx.scratch.data();
}

}  // namespace jet
