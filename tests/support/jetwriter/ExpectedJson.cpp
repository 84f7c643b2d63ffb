#include "support/jetwriter/ExpectedJson.h"
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include "support/jetwriter/Complex.h"

namespace jetwriter {

using T = jet::AccessType;

const char* ReaderTypeName(T type) {
  if (type == kBigInt) return "bigint";
  if (type == kDateTimeExtended) return "datetimextended";  // sic
  if (type == kComplex) return "complex";
  switch (type) {
    case T::Boolean: return "boolean";
    case T::Byte: return "byte";
    case T::Integer: return "integer";
    case T::LongInteger: return "long";
    case T::Currency: return "currency";
    case T::Single: return "float";
    case T::Double: return "double";
    case T::DateTime: return "datetime";
    case T::Binary: return "binary";
    case T::Text: return "text";
    case T::OleObject: return "ole";
    case T::Memo: return "memo";
    case T::ReplicationId: return "repid";
    case T::Decimal: return "numeric";
    case T::Complex: return "complex";
    case T::BigInt: return "bigint";
    case T::DateTimeExtended: return "datetimextended";
  }
  return "?";
}

static void String(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') { out += '\\'; out += char(c); }
    else if (c < 0x20) { char u[8]; std::snprintf(u, sizeof u, "\\u%04x", c); out += u; }
    else out += char(c);
  }
  out += '"';
}

static void Number(std::string& out, double d) {
  char b[64];
  auto r = std::to_chars(b, b + sizeof b, d);
  out.append(b, r.ptr);
}

static std::string DecimalText(const DECIMAL& d) {
  unsigned __int128 m = ((unsigned __int128)d.hi32 << 64) | d.lo64;
  std::string digits;
  do { digits.insert(digits.begin(), char('0' + int(m % 10))); m /= 10; } while (m);
  while (digits.size() <= d.scale) digits.insert(digits.begin(), '0');
  if (d.scale) digits.insert(digits.end() - d.scale, '.');
  bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (d.negative && !zero ? "-" : "") + digits;
}

static void Value(std::string& out, T type, const VARIANT& v) {
  if (v.vt == VT_NULL || v.vt == VT_EMPTY) {
    out += type == T::Boolean ? "false" : "null";
    return;
  }
  if (type == kBigInt) { String(out, std::to_string(v.llVal)); return; }
  if (type == kDateTimeExtended) { String(out, v.bstrVal); return; }
  switch (type) {
    case T::Text: case T::Memo: String(out, v.bstrVal); break;
    case T::ReplicationId: {
      std::string g = v.bstrVal;
      for (char& c : g) if (c >= 'a' && c <= 'f') c = char(c - 'a' + 'A');
      String(out, g);
      break;
    }
    case T::Boolean: out += v.boolVal ? "true" : "false"; break;
    case T::Byte: case T::Integer: case T::LongInteger:
      out += std::to_string(v.vt == VT_UI1 ? v.bVal : v.vt == VT_I2 ? v.iVal : v.vt == VT_I4 ? v.lVal : v.llVal);
      break;
    case T::Single: Number(out, double(v.vt == VT_R4 ? v.fltVal : float(v.dblVal))); break;
    case T::Double: Number(out, v.dblVal); break;
    case T::DateTime: Number(out, v.date); break;
    case T::Currency: String(out, std::to_string(v.cyVal)); break;
    case T::Decimal: String(out, DecimalText(v.decVal)); break;
    case T::BigInt: String(out, std::to_string(v.llVal)); break;
    case T::Complex: case T::DateTimeExtended: String(out, v.bstrVal); break;
    case T::OleObject: case T::Binary: {
      static const char* hex = "0123456789abcdef";
      out += '"';
      for (uint8_t b : v.parray) { out += hex[b >> 4]; out += hex[b & 15]; }
      out += '"';
      break;
    }
    default: break;
  }
}

void WriteExpectedJson(const std::string& path, const std::vector<Table>& given,
                       const std::vector<SavedQuery>& queries, FileFormat format) {
  std::vector<Table> tables = given;
  if (format.Ace()) {
    ComplexTables complex = BuildComplexTables(given, int32_t(2 + BuiltInSystemTables().size()));
    tables.insert(tables.end(), complex.system.begin(), complex.system.end());
    tables.insert(tables.end(), complex.flat.begin(), complex.flat.end());
  }
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) throw std::runtime_error("cannot create " + path);
  std::string out = "{\"tables\": [";
  for (size_t k = 0; k < tables.size(); ++k) {
    const Table& t = tables[k];
    out += k ? ",\n" : "\n";
    out += "{\"name\": ";
    String(out, t.name);
    out += t.system ? ", \"system\": true" : ", \"system\": false";
    if (t.overflow) out += ", \"unordered\": true";  // moved rows are read where they lie
    std::string calculated;
    for (const Column& c : t.columns) {
      if (!c.calculated) continue;
      calculated += calculated.empty() ? "" : ", ";
      String(calculated, c.name);
    }
    if (!calculated.empty()) out += ", \"calculated\": [" + calculated + "]";
    out += ", \"columns\": [";
    for (size_t c = 0; c < t.columns.size(); ++c) {
      out += c ? ", {\"name\": " : "{\"name\": ";
      String(out, t.columns[c].name);
      out += ", \"type\": \"";
      out += ReaderTypeName(t.columns[c].type);
      out += "\"}";
    }
    out += "], \"rows\": [";
    std::vector<VARIANT> values(t.columns.size());
    bool first = true;
    for (uint64_t r = 0; r < t.rowCount; ++r) {
      if (t.deleted && t.deleted(r)) continue;
      for (VARIANT& v : values) v.vt = VT_EMPTY;
      t.row(r, values);
      out += first ? "\n[" : ",\n[";
      first = false;
      for (size_t c = 0; c < values.size(); ++c) {
        if (c) out += ", ";
        if (t.columns[c].type == kComplex) {
          std::string text;
          for (const std::string& e : t.entries(r, c)) text += (text.empty() ? "" : ", ") + e;
          out += "{\"key\": " + std::to_string(ComplexKey(r)) + ", \"text\": ";
          if (text.empty()) out += "null"; else String(out, text);
          out += "}";
        } else {
          Value(out, t.columns[c].type, values[c]);
        }
      }
      out += ']';
      if (out.size() > (1 << 20)) { std::fwrite(out.data(), 1, out.size(), f); out.clear(); }
    }
    out += "]}";
  }
  out += "],\n\"systemTables\": [";
  for (size_t k = 0; k < BuiltInSystemTables().size(); ++k) {
    if (k) out += ", ";
    String(out, BuiltInSystemTables()[k].name);
  }
  out += "],\n\"queries\": [";
  for (size_t k = 0; k < queries.size(); ++k) {
    if (k) out += ", ";
    String(out, queries[k].name);
  }
  out += "]}\n";
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace jetwriter
