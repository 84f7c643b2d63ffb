#include "platform/jet/file/ValueDecode.h"

#include <cstdio>
#include "platform/jet/file/ComplexColumns.h"
#include "platform/jet/file/JetText.h"

namespace jet {

void DecodeText(const uint8_t* p, uint32_t len, DecodeContext& ctx, VARIANT* out) {
  out->vt = VT_BSTR;
  out->bstrVal.clear();
  if (ctx.pager.Format().jet4) AppendJet4Text(p, len, &out->bstrVal);
  else ctx.codePage.Append(p, len, &out->bstrVal);
}

static void Bytes(const uint8_t* p, uint32_t len, VARIANT* out) {
  out->vt = VT_ARRAY | VT_UI1;
  out->parray.assign(p, p + len);
}

// Windows prints a GUID as its first three fields in their own (little-endian) byte
// order and the last eight bytes as stored.
static void Guid(const uint8_t* p, VARIANT* out) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                Get32(p), Get16(p + 4), Get16(p + 6), p[8], p[9], p[10], p[11], p[12], p[13],
                p[14], p[15]);
  out->vt = VT_BSTR;
  out->bstrVal.assign(buf);
}

// Decimal: a sign byte, then a 128-bit magnitude as four little-endian 32-bit words,
// the most significant first. A VARIANT holds 96 bits; Access never needs more
// (precision 28 at most).
static void Decimal(const uint8_t* p, uint8_t scale, VARIANT* out) {
  out->vt = VT_DECIMAL;
  out->decVal = DECIMAL();
  out->decVal.negative = (p[0] & 0x80) != 0;
  out->decVal.scale = scale > 28 ? 28 : scale;
  out->decVal.hi32 = Get32(p + 5);
  out->decVal.lo64 = static_cast<uint64_t>(Get32(p + 9)) << 32 | Get32(p + 13);
}

void DecodeValue(const ColumnLayout& column, const FieldSpan& field, DecodeContext& ctx,
                 VARIANT* out) {
  if (column.def.type == AccessType::Boolean && !column.calculated) {
    out->vt = VT_BOOL;
    out->boolVal = field.bit ? VARIANT_TRUE : VARIANT_FALSE;
    return;
  }
  if (field.data == nullptr) {
    out->vt = VT_NULL;
    return;
  }
  if (column.calculated) {
    DecodeCalculated(column, field, ctx, out);
    return;
  }
  const uint8_t* p = field.data;
  const uint32_t len = field.len;
  auto need = [len](uint32_t n) { if (len < n) Damaged(Check::FieldSize); };
  switch (column.def.type) {
    case AccessType::Byte:
      need(1); out->vt = VT_UI1; out->bVal = p[0]; return;
    case AccessType::Integer:
      need(2); out->vt = VT_I2; out->iVal = static_cast<int16_t>(Get16(p)); return;
    case AccessType::LongInteger:
      need(4); out->vt = VT_I4; out->lVal = static_cast<int32_t>(Get32(p)); return;
    case AccessType::Currency:
      need(8); out->vt = VT_CY; std::memcpy(&out->cyVal, p, 8); return;
    case AccessType::Single:
      need(4); out->vt = VT_R4; std::memcpy(&out->fltVal, p, 4); return;
    case AccessType::Double:
      need(8); out->vt = VT_R8; std::memcpy(&out->dblVal, p, 8); return;
    case AccessType::DateTime:
      // The stored day number is the VT_DATE value itself.
      need(8); out->vt = VT_DATE; std::memcpy(&out->date, p, 8); return;
    case AccessType::ReplicationId:
      need(16); Guid(p, out); return;
    case AccessType::Decimal:
      need(17); Decimal(p, column.def.scale, out); return;
    case AccessType::BigInt:
      need(8); out->vt = VT_I8; std::memcpy(&out->llVal, p, 8); return;
    case AccessType::DateTimeExtended:
      DecodeExtendedDate(p, len, out); return;
    case AccessType::Complex: {
      need(4);
      const int32_t key = static_cast<int32_t>(Get32(p));
      if (!ctx.complex) {
        *out = VARIANT::I4(key);
      } else if (const std::string* text = ctx.complex->Find(column.complexId, key)) {
        out->vt = VT_BSTR;
        out->bstrVal = *text;
      } else {
        out->vt = VT_NULL;
      }
      return;
    }
    case AccessType::Text:
      DecodeText(p, len, ctx, out); return;
    case AccessType::Memo: {
      uint32_t n;
      const uint8_t* bytes = ReadLongValue(field, ctx, &n);
      DecodeText(bytes, n, ctx, out);
      return;
    }
    case AccessType::OleObject: {
      uint32_t n;
      const uint8_t* bytes = ReadLongValue(field, ctx, &n);
      Bytes(bytes, n, out);
      return;
    }
    case AccessType::Binary:
    default:
      Bytes(p, len, out);
      return;
  }
}

}  // namespace jet
