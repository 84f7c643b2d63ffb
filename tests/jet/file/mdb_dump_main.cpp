// kelvane_mdb_dump <file.mdb>: every user table of a file as our reader reads it, as
// JSON in the canonical form that tests/crosscheck/dump_testdata.js prints with
// mdb-reader, so that the two can be compared value by value:
//   {"tables": [{"name", "columns": [{"name", "type"}], "rows": [[value, ...]]}]}
// Values: text as strings, numbers as numbers (a Single as its exact float value),
// currency and decimals as plain decimal strings, dates as the day number rounded to
// the millisecond (mdb-reader keeps no more), GUIDs as "{XXXXXXXX-...}", binary and
// OLE data as lowercase hex, NULL as null.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"

namespace {

// mdb-reader's names for the column types, so that the types are compared too.
const char* TypeName(jet::AccessType t) {
  switch (t) {
    case jet::AccessType::Boolean: return "boolean";
    case jet::AccessType::Byte: return "byte";
    case jet::AccessType::Integer: return "integer";
    case jet::AccessType::LongInteger: return "long";
    case jet::AccessType::Currency: return "currency";
    case jet::AccessType::Single: return "float";
    case jet::AccessType::Double: return "double";
    case jet::AccessType::DateTime: return "datetime";
    case jet::AccessType::Binary: return "binary";
    case jet::AccessType::Text: return "text";
    case jet::AccessType::OleObject: return "ole";
    case jet::AccessType::Memo: return "memo";
    case jet::AccessType::ReplicationId: return "repid";
    case jet::AccessType::Decimal: return "numeric";
    case jet::AccessType::Complex: return "complex";
    case jet::AccessType::BigInt: return "bigint";
    case jet::AccessType::DateTimeExtended: return "datetimextended";
  }
  return "unknown";
}

void PutString(const std::string& s, std::string* out) {
  out->push_back('"');
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out->push_back('\\');
      out->push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out->append(buf);
    } else {
      out->push_back(static_cast<char>(c));
    }
  }
  out->push_back('"');
}

// 17 significant digits give back the same double when parsed. JSON has no NaN,
// infinity or negative zero: those go as the strings dump_testdata.js writes for them.
void PutDouble(double d, std::string* out) {
  if (!std::isfinite(d)) {
    out->append(std::isnan(d) ? "\"NaN\"" : d > 0 ? "\"Infinity\"" : "\"-Infinity\"");
    return;
  }
  if (d == 0 && std::signbit(d)) {
    out->append("\"-0\"");
    return;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", d);
  out->append(buf);
}

// A magnitude with `scale` digits after the point, without trailing zeros there (the
// form dump.js's plainDecimal gives mdb-reader's text), and never "-0".
std::string PlainDecimal(unsigned __int128 magnitude, int scale, bool negative) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(digits.size()) <= scale)
    digits.insert(0, static_cast<size_t>(scale + 1) - digits.size(), '0');
  std::string text = digits.substr(0, digits.size() - scale);
  std::string fraction = digits.substr(digits.size() - scale);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  if (negative && text != "0") text.insert(0, "-");
  return text;
}

void PutValue(const VARIANT& v, std::string* out) {
  switch (v.vt) {
    case VT_NULL: out->append("null"); return;
    case VT_BOOL: out->append(v.boolVal ? "true" : "false"); return;
    case VT_UI1: out->append(std::to_string(v.bVal)); return;
    case VT_I2: out->append(std::to_string(v.iVal)); return;
    case VT_I4: out->append(std::to_string(v.lVal)); return;
    case VT_I8: PutString(std::to_string(v.llVal), out); return;  // beyond a double's integers
    case VT_R4: PutDouble(static_cast<double>(v.fltVal), out); return;
    case VT_R8: PutDouble(v.dblVal, out); return;
    case VT_BSTR: PutString(v.bstrVal, out); return;
    case VT_DATE: {
      // mdb-reader turns the day number straight into milliseconds since 1970 (also
      // for days before 1899/12/30, whose time of day Access counts forward) and
      // rounds half up (Math.round), with its very operations; both sides print that
      // millisecond as a day number again.
      const double ms = std::floor((v.date - 25569) * 86400 * 1000 + 0.5);
      PutDouble(ms / 86400000 + 25569, out);
      return;
    }
    case VT_CY: {
      const bool negative = v.cyVal < 0;
      const unsigned __int128 m =
          negative ? static_cast<unsigned __int128>(-static_cast<__int128>(v.cyVal))
                   : static_cast<unsigned __int128>(v.cyVal);
      PutString(PlainDecimal(m, 4, negative), out);
      return;
    }
    case VT_DECIMAL: {
      const unsigned __int128 m = static_cast<unsigned __int128>(v.decVal.hi32) << 64 | v.decVal.lo64;
      PutString(PlainDecimal(m, v.decVal.scale, v.decVal.negative), out);
      return;
    }
    case VT_ARRAY | VT_UI1: {
      static const char hex[] = "0123456789abcdef";
      out->push_back('"');
      for (uint8_t b : v.parray) {
        out->push_back(hex[b >> 4]);
        out->push_back(hex[b & 15]);
      }
      out->push_back('"');
      return;
    }
    default:
      PutString("unexpected VARTYPE " + std::to_string(v.vt), out);
      return;
  }
}

void DumpTable(jet::MdbFile& file, const std::string& name, std::string* out) {
  std::string exact;
  std::vector<jet::ColumnDef> columns;
  if (!file.FindTable(name, &exact, &columns)) throw std::runtime_error("no table " + name);
  out->append("{\"name\": ");
  PutString(exact, out);
  out->append(", \"columns\": [");
  for (size_t i = 0; i < columns.size(); ++i) {
    out->append(i ? ", {\"name\": " : "{\"name\": ");
    PutString(columns[i].name, out);
    out->append(", \"type\": ");
    PutString(TypeName(columns[i].type), out);
    out->append("}");
  }
  out->append("], \"rows\": [");
  std::unique_ptr<jet::RowStream> rows = file.Scan(exact);
  bool first = true;
  while (rows->Next()) {
    out->append(first ? "\n  [" : ",\n  [");
    first = false;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) out->append(", ");
      PutValue(rows->Value(static_cast<int>(i)), out);
    }
    out->append("]");
  }
  out->append("]}");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelvane_mdb_dump <file.mdb>\n");
    return 2;
  }
  try {
    // A protected file's password comes from the environment, never the arguments.
    const char* password = std::getenv("KELVANE_PASSWORD");
    std::shared_ptr<jet::MdbFile> file = jet::MdbFile::Open(argv[1], password ? password : "");
    std::string out = "{\"tables\": [";
    bool first = true;
    for (const jet::CatalogEntry& e : file->Catalog()) {
      if (e.type != jet::ObjectType::Table) continue;
      out.append(first ? "\n" : ",\n");
      first = false;
      DumpTable(*file, e.name, &out);
    }
    out.append("\n]}\n");
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  } catch (const _com_error& e) {
    std::fprintf(stderr, "%s: reader failed, HRESULT 0x%08X (%s)\n", argv[1],
                 static_cast<unsigned>(e.Error()), e.Description().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
  }
  return 1;
}
