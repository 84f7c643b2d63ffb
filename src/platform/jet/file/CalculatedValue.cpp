// Calculated columns. Access keeps the expression's last result in the row, wrapped
// (16 bytes, the result's length, the result, 3 bytes), typed as the expression made
// it: a Currency quotient may sit in a Double column, a Yes/No test in an Integer
// one. The result is handed out in the column's declared type, as the provider hands
// out every field.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/com/Exact.h"
#include "platform/jet/file/ValueDecode.h"

namespace jet {
namespace {

// The stored result as a number of one of the forms Access writes there.
struct Number {
  enum Kind { Int, Real, Cy, Dec } kind = Int;
  int64_t i = 0;  // Int; Cy: the amount times 10,000
  double d = 0;   // Real
  bool single = false;
  DECIMAL dec;
};

bool IntegerType(AccessType t) {
  return t == AccessType::Boolean || t == AccessType::Byte || t == AccessType::Integer ||
         t == AccessType::LongInteger || t == AccessType::BigInt;
}

Number ReadNumber(const uint8_t* p, uint32_t len, AccessType declared) {
  Number n;
  switch (len) {
    case 1:  // a Yes/No result is 0 or 0xFF (True, -1)
      n.i = declared == AccessType::Byte ? p[0] : static_cast<int8_t>(p[0]);
      return n;
    case 2:
      n.i = static_cast<int16_t>(Get16(p));
      return n;
    case 4:
      if (IntegerType(declared)) {
        n.i = static_cast<int32_t>(Get32(p));
      } else {
        float f;
        std::memcpy(&f, p, 4);
        n.kind = Number::Real, n.d = f, n.single = true;
      }
      return n;
    case 8: {
      std::memcpy(&n.i, p, 8);
      if (IntegerType(declared)) return n;
      n.kind = Number::Cy;
      if (declared == AccessType::Currency) return n;
      double d;
      std::memcpy(&d, p, 8);
      // A Currency amount read as a double is a NaN (negative) or a subnormal: no
      // expression yields those, so they tell a Currency result from a Double one.
      if (declared != AccessType::DateTime && (std::isnan(d) || std::fpclassify(d) == FP_SUBNORMAL))
        return n;
      n.kind = Number::Real, n.d = d;
      return n;
    }
    case 16:  // as a VARIANT's DECIMAL: reserved, scale, sign, high 32 bits, low 64
      n.kind = Number::Dec;
      n.dec.scale = p[2] > 28 ? 28 : p[2];
      n.dec.negative = (p[3] & 0x80) != 0;
      n.dec.hi32 = Get32(p + 4);
      n.dec.lo64 = static_cast<uint64_t>(Get32(p + 12)) << 32 | Get32(p + 8);
      return n;
    default:
      Damaged(Check::FieldSize);
  }
}

double AsDouble(const Number& n) {
  switch (n.kind) {
    case Number::Int: return static_cast<double>(n.i);
    case Number::Real: return n.d;
    case Number::Cy: return static_cast<double>(n.i) / 10000.0;
    case Number::Dec: break;
  }
  const double magnitude = std::ldexp(static_cast<double>(n.dec.hi32), 64) + static_cast<double>(n.dec.lo64);
  const double v = magnitude / std::pow(10.0, n.dec.scale);
  return n.dec.negative ? -v : v;
}

int64_t AsInteger(const Number& n) {
  if (n.kind == Number::Int) return n.i;
  const double d = std::nearbyint(AsDouble(n));  // to even, as Access rounds
  if (!(d >= -9.2e18 && d <= 9.2e18)) Damaged(Check::FieldSize);
  return static_cast<int64_t>(d);
}

// A real as a DECIMAL with the significant digits its type shows (7 or 15).
DECIMAL DecimalOfReal(double d, bool single) {
  if (!std::isfinite(d)) Damaged(Check::FieldSize);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*e", single ? 6 : 14, d);
  const char* p = buf + (*buf == '-');
  // A value beyond a Decimal's 28 places or 29 digits is none Access stored.
  std::string digits;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits.push_back(*p);
  int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int scale = static_cast<int>(digits.size()) - 1 - exponent;
  while (scale < 0) digits.push_back('0'), ++scale;
  if (scale > 28 || digits.size() > 29) Damaged(Check::FieldSize);
  Exact e;
  if (!Exact::Parse(buf, std::strlen(buf), &e)) Damaged(Check::FieldSize);
  return e.Normalized().ToDecimal();
}

void ToDeclared(const Number& n, AccessType declared, VARIANT* out) {
  switch (declared) {
    case AccessType::Boolean:
      out->vt = VT_BOOL;
      out->boolVal = AsDouble(n) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case AccessType::Byte: out->vt = VT_UI1; out->bVal = static_cast<uint8_t>(AsInteger(n)); return;
    case AccessType::Integer: out->vt = VT_I2; out->iVal = static_cast<int16_t>(AsInteger(n)); return;
    case AccessType::LongInteger: out->vt = VT_I4; out->lVal = static_cast<int32_t>(AsInteger(n)); return;
    case AccessType::BigInt: out->vt = VT_I8; out->llVal = AsInteger(n); return;
    case AccessType::Single: out->vt = VT_R4; out->fltVal = static_cast<float>(AsDouble(n)); return;
    case AccessType::DateTime: out->vt = VT_DATE; out->date = AsDouble(n); return;
    case AccessType::Currency:
      out->vt = VT_CY;
      if (n.kind == Number::Cy) out->cyVal = n.i;
      else if (n.kind == Number::Int) out->cyVal = n.i * 10000;
      else out->cyVal = static_cast<int64_t>(std::nearbyint(AsDouble(n) * 10000.0));
      return;
    case AccessType::Decimal: {
      out->vt = VT_DECIMAL;
      DECIMAL& dec = out->decVal;
      dec = DECIMAL();
      if (n.kind == Number::Dec) {
        dec = n.dec;
      } else if (n.kind == Number::Real) {
        dec = DecimalOfReal(n.d, n.single);
      } else {
        dec.negative = n.i < 0;
        dec.lo64 = n.i < 0 ? 0 - static_cast<uint64_t>(n.i) : static_cast<uint64_t>(n.i);
        dec.scale = n.kind == Number::Cy ? 4 : 0;
      }
      return;
    }
    default:
      out->vt = VT_R8;
      out->dblVal = AsDouble(n);
      return;
  }
}

}  // namespace

void DecodeCalculated(const ColumnLayout& column, const FieldSpan& field, DecodeContext& ctx,
                      VARIANT* out) {
  const AccessType type = column.def.type;
  const uint8_t* p = field.data;
  uint32_t len = field.len;
  // A Text result without a length is a long text: the wrapper sits in a long value.
  if (type == AccessType::Memo || (type == AccessType::Text && column.def.size == 0))
    p = ReadLongValue(field, ctx, &len);
  if (len < 20) Damaged(Check::FieldSize);
  const uint32_t resultLen = Get32(p + 16);
  if (resultLen > len - 20) Damaged(Check::FieldSize);
  p += 20;
  switch (type) {
    case AccessType::Text:
    case AccessType::Memo:
      DecodeText(p, resultLen, ctx, out);
      return;
    case AccessType::Boolean: case AccessType::Byte: case AccessType::Integer:
    case AccessType::LongInteger: case AccessType::BigInt: case AccessType::Single:
    case AccessType::Double: case AccessType::Currency: case AccessType::DateTime:
    case AccessType::Decimal:
      if (resultLen == 0) {
        out->vt = VT_NULL;
        return;
      }
      ToDeclared(ReadNumber(p, resultLen, type), type, out);
      return;
    default:
      out->vt = VT_ARRAY | VT_UI1;
      out->parray.assign(p, p + resultLen);
      return;
  }
}

}  // namespace jet
