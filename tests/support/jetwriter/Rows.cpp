#include "support/jetwriter/Rows.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include "support/jetwriter/Text.h"

namespace jetwriter {

using jet::AccessType;

// Date/Time Extended: ASCII digits, "days since 0001/01/01:ticks of 100 ns since
// midnight:7" (the digits of fraction kept), the numbers zero-padded to 19 digits.
constexpr int kDateTimeExtendedSize = 42;

static int FixedSize(AccessType t) {
  switch (t) {
    case AccessType::Boolean: return 0;
    case AccessType::Byte: return 1;
    case AccessType::Integer: return 2;
    case AccessType::LongInteger: case AccessType::Single: return 4;
    case AccessType::Currency: case AccessType::Double: case AccessType::DateTime: return 8;
    case AccessType::ReplicationId: return 16;
    case AccessType::Decimal: return 17;
    default:
      if (t == kBigInt) return 8;
      if (t == kComplex) return 4;
      if (t == kDateTimeExtended) return kDateTimeExtendedSize;
      return -1;  // variable length
  }
}

TableLayout LayOut(const std::vector<Column>& columns) {
  TableLayout t;
  for (size_t i = 0; i < columns.size(); ++i) {
    ColumnLayout c;
    c.def = columns[i];
    c.number = int(i);
    int fixed = FixedSize(c.def.type);
    if (c.def.type == kComplex && c.def.complex == Complex::None)
      throw std::runtime_error("column " + c.def.name + ": a complex column needs its kind");
    if (fixed >= 0 && !c.def.calculated && !c.def.variablePart) {
      c.fixed = true;
      c.size = fixed;
      c.fixedOffset = t.fixedSize;
      t.fixedSize += fixed;
    } else {
      bool sized = c.def.type == AccessType::Text || c.def.type == AccessType::Binary;
      if (sized && (c.def.length < 1 || c.def.length > 255))
        throw std::runtime_error("column " + c.def.name + ": length must be 1 to 255");
      c.size = c.def.type == AccessType::Text ? 2 * c.def.length
             : c.def.type == AccessType::Binary ? c.def.length : 0;
      if (fixed >= 0) c.size = c.def.calculated ? 39 : fixed;  // 39: what Access declares
      c.varIndex = t.varCount++;
    }
    t.columns.push_back(c);
  }
  return t;
}

// Long values up to this size stay in the row, as Access keeps short memos.
constexpr size_t kInlineMax = 64;
constexpr size_t kChunk = RowPage::kMaxRow - 4;  // data in one record of a chain

void LongValues::Put(const std::vector<uint8_t>& data, std::vector<uint8_t>& row) {
  if (data.size() > 0xFFFFFF) throw std::runtime_error("long value over 16 MB");
  uint8_t header[12] = {};
  Put24(header, uint32_t(data.size()));
  if (data.size() <= kInlineMax) {
    header[3] = 0x80;
    row.insert(row.end(), header, header + 12);
    row.insert(row.end(), data.begin(), data.end());
    return;
  }
  if (fault_ != ChainFault::None) {
    PutFaultyChain(data, header);
  } else if (data.size() <= RowPage::kMaxRow) {
    if (page_.Empty() || !page_.Fits(data.size())) {
      Flush();
      pageNumber_ = file_.Allocate();
    }
    int r = page_.Add(data.data(), data.size());
    header[3] = 0x40;
    Put32(header + 4, RowPointer(pageNumber_, r));
  } else {
    size_t chunks = (data.size() + kChunk - 1) / kChunk;
    uint32_t first = file_.Allocate();
    for (size_t k = 1; k < chunks; ++k) file_.Allocate();  // the chain's pages, in a run
    RowPage chain(RowPage::kLvalOwner);
    std::vector<uint8_t> record;
    for (size_t k = 0; k < chunks; ++k) {
      size_t from = k * kChunk, n = std::min(kChunk, data.size() - from);
      record.assign(4, 0);
      if (k + 1 < chunks) Put32(record.data(), RowPointer(first + uint32_t(k) + 1, 0));
      record.insert(record.end(), data.begin() + long(from), data.begin() + long(from + n));
      chain.Clear();
      chain.Add(record.data(), record.size());
      file_.Write(first + uint32_t(k), chain.Bytes());
    }
    Put32(header + 4, RowPointer(first, 0));
  }
  row.insert(row.end(), header, header + 12);
}

// Three LVAL rows on the shared page, in a row, so that each one's place is known
// before the rows that point at it are written.
void LongValues::PutFaultyChain(const std::vector<uint8_t>& data, uint8_t* header) {
  if (fault_ == ChainFault::Shared && sharedWritten_) {
    std::memcpy(header, sharedHeader_, 12);
    return;
  }
  const size_t third = (data.size() + 2) / 3;
  if (!page_.Empty() && !page_.Fits(data.size() + 3 * 4, 3)) Flush();
  if (page_.Empty()) pageNumber_ = file_.Allocate();
  if (!page_.Fits(data.size() + 3 * 4, 3)) throw std::runtime_error("long value too long for a faulty chain");
  const int first = page_.Rows();
  uint32_t next[3] = {RowPointer(pageNumber_, first + 1), RowPointer(pageNumber_, first + 2), 0};
  uint32_t claim = uint32_t(data.size());
  const uint32_t loopClaim = loopClaim_ ? loopClaim_ : claim + 1;
  switch (fault_) {
    case ChainFault::LoopToFirst: next[2] = RowPointer(pageNumber_, first); claim = loopClaim; break;
    case ChainFault::LoopToMiddle: next[2] = RowPointer(pageNumber_, first + 1); claim = loopClaim; break;
    case ChainFault::ShortOfClaim: claim += 1; break;
    case ChainFault::PastClaim: claim -= 1; break;
    default: break;
  }
  std::vector<uint8_t> record;
  for (size_t k = 0; k < 3; ++k) {
    const size_t from = std::min(k * third, data.size()), n = std::min(third, data.size() - from);
    record.assign(4, 0);
    Put32(record.data(), next[k]);
    record.insert(record.end(), data.begin() + long(from), data.begin() + long(from + n));
    page_.Add(record.data(), record.size());
  }
  Put32(header, claim & 0x3FFFFFFF);  // a chain: no flag bits
  Put32(header + 4, RowPointer(pageNumber_, first));
  std::memcpy(sharedHeader_, header, 12);
  sharedWritten_ = true;
}

void LongValues::Flush() {
  if (page_.Empty()) return;
  file_.Write(pageNumber_, page_.Bytes());
  page_.Clear();
}

// ---- values

[[noreturn]] static void Mismatch(const ColumnLayout& c, const char* want) {
  throw std::runtime_error("column " + c.def.name + ": value must be " + want);
}

static int64_t Integer(const ColumnLayout& c, const VARIANT& v, int64_t lo, int64_t hi) {
  int64_t n;
  switch (v.vt) {
    case VT_UI1: n = v.bVal; break;
    case VT_I2: n = v.iVal; break;
    case VT_I4: n = v.lVal; break;
    case VT_I8: n = v.llVal; break;
    default: Mismatch(c, "an integer");
  }
  if (n < lo || n > hi) Mismatch(c, "in the column's range");
  return n;
}

static double Real(const ColumnLayout& c, const VARIANT& v) {
  switch (v.vt) {
    case VT_R4: return v.fltVal;
    case VT_R8: return v.dblVal;
    case VT_DATE: return v.date;
    case VT_UI1: case VT_I2: case VT_I4: case VT_I8: return double(Integer(c, v, INT64_MIN, INT64_MAX));
    default: Mismatch(c, "a number");
  }
}

static int Hex(const ColumnLayout& c, char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  Mismatch(c, "a GUID {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
}

// A GUID's text names Data1 (4 bytes), Data2, Data3 (2 each) as numbers, stored
// little-endian, then Data4 as 8 bytes in order.
static void Guid(const ColumnLayout& c, const std::string& s, uint8_t* out) {
  if (s.size() != 38 || s[0] != '{' || s[37] != '}' || s[9] != '-' || s[14] != '-' ||
      s[19] != '-' || s[24] != '-')
    Mismatch(c, "a GUID {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
  uint8_t b[16];
  int k = 0;
  for (size_t i = 1; i < 37; ++i) {
    if (s[i] == '-') continue;
    b[k / 2] = uint8_t((k % 2 == 0) ? Hex(c, s[i]) << 4 : b[k / 2] | Hex(c, s[i]));
    ++k;
  }
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) out[i] = b[order[i]];
}

// Decimal: a sign byte (0x80 negative), then the unscaled magnitude as four 32-bit
// little-endian words, the most significant word first.
static void Decimal(const ColumnLayout& c, const VARIANT& v, uint8_t* out) {
  if (v.vt != VT_DECIMAL) Mismatch(c, "VT_DECIMAL");
  unsigned __int128 m = ((unsigned __int128)v.decVal.hi32 << 64) | v.decVal.lo64;
  if (v.decVal.scale > c.def.scale) Mismatch(c, "of no more decimals than the column's scale");
  for (int s = v.decVal.scale; s < c.def.scale; ++s) m *= 10;
  unsigned __int128 limit = 1;
  for (int p = 0; p < c.def.precision; ++p) limit *= 10;
  if (m >= limit) Mismatch(c, "within the column's precision");
  out[0] = (v.decVal.negative && m != 0) ? 0x80 : 0x00;
  for (int w = 0; w < 4; ++w) Put32(out + 1 + 4 * w, uint32_t(m >> (32 * (3 - w))));
}

static int64_t DaysFromYearOne(int y, int m, int d) {  // days since 0001-01-01
  y -= m <= 2;
  int64_t era = y / 400, yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 306;
}

// "yyyy-mm-dd hh:mm:ss[.fffffff]" into its stored form.
static void DateTimeExtended(const ColumnLayout& c, const VARIANT& v, uint8_t* out) {
  int y, mo, d, h, mi, s, used = 0;
  if (v.vt != VT_BSTR ||
      std::sscanf(v.bstrVal.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used) != 6 ||
      y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
    Mismatch(c, "a date \"yyyy-mm-dd hh:mm:ss.fffffff\"");
  std::string fraction = v.bstrVal.substr(size_t(used));
  if (!fraction.empty() && (fraction[0] != '.' || fraction.size() > 8 ||
                            fraction.find_first_not_of("0123456789", 1) != std::string::npos))
    Mismatch(c, "a date with at most 7 digits of fraction");
  fraction = fraction.empty() ? "0000000" : (fraction.substr(1) + "0000000").substr(0, 7);
  int64_t ticks = (int64_t(h) * 3600 + mi * 60 + s) * 10000000 + std::stoll(fraction);
  char text[kDateTimeExtendedSize + 1] = {};
  std::snprintf(text, sizeof text, "%019lld:%019lld:7", (long long)DaysFromYearOne(y, mo, d), (long long)ticks);
  std::memcpy(out, text, kDateTimeExtendedSize);
}

static void PutFixed(const ColumnLayout& c, const VARIANT& v, uint8_t* p) {
  switch (c.def.type) {
    case AccessType::Byte: p[0] = uint8_t(Integer(c, v, 0, 255)); break;
    case AccessType::Integer: Put16(p, uint32_t(Integer(c, v, INT16_MIN, INT16_MAX))); break;
    case AccessType::LongInteger: Put32(p, uint32_t(Integer(c, v, INT32_MIN, INT32_MAX))); break;
    case AccessType::Currency: {
      if (v.vt != VT_CY) Mismatch(c, "VT_CY");
      uint64_t n = uint64_t(v.cyVal);
      Put32(p, uint32_t(n)); Put32(p + 4, uint32_t(n >> 32));
      break;
    }
    case AccessType::Single: { float f = float(Real(c, v)); std::memcpy(p, &f, 4); break; }
    case AccessType::Double: case AccessType::DateTime: {
      if (c.def.type == AccessType::DateTime && v.vt != VT_DATE && v.vt != VT_R8) Mismatch(c, "VT_DATE");
      double d = Real(c, v);
      std::memcpy(p, &d, 8);  // the machine is little-endian, as the file is
      break;
    }
    case AccessType::ReplicationId:
      if (v.vt != VT_BSTR) Mismatch(c, "VT_BSTR");
      Guid(c, v.bstrVal, p);
      break;
    case AccessType::Decimal: Decimal(c, v, p); break;
    default:
      if (c.def.type == kBigInt || c.def.type == kComplex) {
        uint64_t n = uint64_t(Integer(c, v, INT64_MIN, INT64_MAX));
        if (c.def.type == kComplex) Put32(p, uint32_t(n));
        else { Put32(p, uint32_t(n)); Put32(p + 4, uint32_t(n >> 32)); }
      } else if (c.def.type == kDateTimeExtended) {
        DateTimeExtended(c, v, p);
      }
      break;
  }
}

// A calculated Decimal keeps its result as a 16-byte DECIMAL: precision (2 bytes),
// scale, sign (0x80 negative), the high 32 bits, then the low 64 of the magnitude.
static void CalculatedDecimal(const ColumnLayout& c, const VARIANT& v, std::vector<uint8_t>& out) {
  uint8_t plain[17];
  Decimal(c, v, plain);  // checks the value against the column, rescales it
  out.assign(16, 0);
  out[0] = uint8_t(c.def.precision);
  out[2] = uint8_t(c.def.scale);
  out[3] = plain[0];
  std::memcpy(&out[4], plain + 5, 4);   // words are most significant first there
  std::memcpy(&out[8], plain + 13, 4);
  std::memcpy(&out[12], plain + 9, 4);
}

static bool IsNull(const VARIANT& v) { return v.vt == VT_NULL || v.vt == VT_EMPTY; }

void EncodeRow(const TableLayout& t, const std::vector<VARIANT>& values, LongValues& lv,
               std::vector<uint8_t>& out) {
  size_t n = t.columns.size();
  if (values.size() != n) throw std::runtime_error("row has the wrong number of values");
  std::vector<uint8_t> mask((n + 7) / 8, 0);
  out.assign(2 + size_t(t.fixedSize), 0);
  Put16(out.data(), uint32_t(n));
  std::vector<uint16_t> varStart(size_t(t.varCount));
  std::vector<uint8_t> bytes;
  for (const ColumnLayout& c : t.columns) {
    const VARIANT& v = values[size_t(c.number)];
    bool present = !IsNull(v);
    if (c.def.type == AccessType::Boolean) {
      if (present && v.vt != VT_BOOL) Mismatch(c, "VT_BOOL");
      present = present && v.boolVal != 0;
    } else if (c.fixed) {
      if (present) PutFixed(c, v, out.data() + 2 + c.fixedOffset);
    } else {
      varStart[size_t(c.varIndex)] = uint16_t(out.size());
      if (present) {
        bytes.clear();
        const int fixedSize = FixedSize(c.def.type);
        if (c.def.calculated && c.def.type == AccessType::Decimal) {
          CalculatedDecimal(c, v, bytes);
        } else if (fixedSize >= 0) {
          bytes.resize(size_t(fixedSize));
          PutFixed(c, v, bytes.data());
        } else if (c.def.type == AccessType::Text || c.def.type == AccessType::Memo) {
          if (v.vt != VT_BSTR) Mismatch(c, "VT_BSTR");
          if (c.def.compressed && (c.def.type == AccessType::Text || Utf16Length(v.bstrVal) <= 1024))
            AppendCompressed(v.bstrVal, bytes);
          else
            AppendUtf16(v.bstrVal, bytes);
        } else {
          if (v.vt != (VT_ARRAY | VT_UI1)) Mismatch(c, "VT_ARRAY|VT_UI1");
          bytes = v.parray;
        }
        if ((c.def.type == AccessType::Text || c.def.type == AccessType::Binary) && bytes.size() > size_t(c.size))
          Mismatch(c, "no longer than the column");
        if (c.def.calculated) {
          // The frame of a calculated value: 16 bytes Access leaves zero, the
          // result's length, the result in its type's form, 3 bytes of zeros.
          std::vector<uint8_t> framed(16, 0);
          uint8_t length[4];
          Put32(length, uint32_t(bytes.size()));
          framed.insert(framed.end(), length, length + 4);
          framed.insert(framed.end(), bytes.begin(), bytes.end());
          framed.resize(framed.size() + 3, 0);
          bytes.swap(framed);
        }
        if (c.def.type == AccessType::Memo || c.def.type == AccessType::OleObject)
          lv.Put(bytes, out);
        else
          out.insert(out.end(), bytes.begin(), bytes.end());
      }
    }
    if (present) mask[size_t(c.number) / 8] |= uint8_t(1u << (c.number % 8));
  }
  if (t.varCount > 0) {
    size_t at = out.size();
    out.resize(at + 2 + 2 * size_t(t.varCount) + 2);
    Put16(&out[at], uint32_t(at));  // end of the variable data
    for (int i = t.varCount - 1, k = 0; i >= 0; --i, ++k)
      Put16(&out[at + 2 + 2 * size_t(k)], varStart[size_t(i)]);
    Put16(&out[out.size() - 2], uint32_t(t.varCount));
  }
  if (out.size() > 0xFFFF) throw std::runtime_error("row too long");
  out.insert(out.end(), mask.begin(), mask.end());
}

}  // namespace jetwriter
