#include "platform/jet/SqlCursor.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/SqlTranslate.h"
#include "platform/jet/VbaFunctions.h"

namespace jet {

namespace {

// A REAL back into Access's Decimal, through its shortest exact decimal form.
DECIMAL DecimalFromDouble(double d) {
  DECIMAL out;
  char buf[64];
  for (int prec = 15; prec <= 17; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*e", prec - 1, d);
    if (std::strtod(buf, nullptr) == d) break;
  }
  // buf is [-]d.ddddde[+-]xx
  std::string s = buf;
  out.negative = s[0] == '-';
  if (out.negative) s.erase(0, 1);
  size_t e = s.find('e');
  int exp = std::atoi(s.c_str() + e + 1);
  std::string digits;
  for (size_t i = 0; i < e; ++i)
    if (s[i] != '.') digits += s[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  // value = digits * 10^(exp - (digits.size() - 1))
  int shift = exp - static_cast<int>(digits.size() - 1);
  if (shift > 0) { digits.append(static_cast<size_t>(shift), '0'); shift = 0; }
  int scale = -shift;
  if (scale > 28) {  // beyond Decimal's scale: round the digits away
    size_t drop = static_cast<size_t>(scale - 28);
    digits = drop >= digits.size() ? "0" : digits.substr(0, digits.size() - drop);
    scale = 28;
  }
  unsigned __int128 mag = 0;
  for (char c : digits) mag = mag * 10 + static_cast<unsigned>(c - '0');
  out.scale = static_cast<uint8_t>(scale);
  out.lo64 = static_cast<uint64_t>(mag);
  out.hi32 = static_cast<uint32_t>(mag >> 64);
  if (mag == 0) out.negative = false;
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  return CompareJetText(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) == 0;
}

class SqlCursor : public Cursor {
 public:
  SqlCursor(std::shared_ptr<void> owner, sqlite3_stmt* stmt, ScanErrors* errors)
      : m_owner(std::move(owner)), m_stmt(stmt), m_errors(errors) {
    int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(stmt, i);
      std::string s = name ? name : "";
      if (s == kExprAlias) s = "Expr" + std::to_string(1000 + i);
      m_names.push_back(s);
      AccessType t;
      m_types.push_back(AccessTypeOfDeclared(sqlite3_column_decltype(stmt, i), &t) ? static_cast<int>(t) : -1);
    }
    // Columns of the same name from different tables (select * over a join) are
    // told apart by their table, as "Orders.OrderID".
    for (int i = 0; i < n; ++i) {
      bool duplicate = false;
      for (int j = 0; j < n && !duplicate; ++j)
        duplicate = j != i && SameName(m_names[i], m_names[j]);
      const char* table = sqlite3_column_table_name(stmt, i);
      if (duplicate && table && sqlite3_column_origin_name(stmt, i)) m_qualified.push_back(i);
    }
    for (int i : m_qualified) m_names[i] = std::string(sqlite3_column_table_name(stmt, i)) + "." + m_names[i];
    Step();
  }
  ~SqlCursor() override { sqlite3_finalize(m_stmt); }

  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override {
    if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
    return m_names[col];
  }
  bool Eof() const override { return m_eof; }
  void MoveNext() override {
    if (m_eof) throw _com_error(E_FAIL);
    Step();
  }
  VARIANT Value(int col) const override;

 private:
  void Step() {
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) { m_eof = false; return; }
    m_eof = true;
    if (rc == SQLITE_DONE) return;
    HRESULT hr = StepErrorCode(rc, m_errors);
    sqlite3_reset(m_stmt);
    throw _com_error(hr);
  }

  std::shared_ptr<void> m_owner;
  sqlite3_stmt* m_stmt;
  ScanErrors* m_errors;
  std::vector<std::string> m_names;
  std::vector<int> m_types;
  std::vector<int> m_qualified;
  bool m_eof = true;
};

VARIANT SqlCursor::Value(int col) const {
  if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
  if (m_eof) throw _com_error(E_FAIL);
  int type = sqlite3_column_type(m_stmt, col);
  if (type == SQLITE_NULL) return VARIANT::Null();
  VARIANT v;
  bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
  switch (m_types[col]) {
    case static_cast<int>(AccessType::Boolean):
      if (!numeric) break;
      return VARIANT::Bool(sqlite3_column_int64(m_stmt, col) != 0);
    case static_cast<int>(AccessType::Byte):
      if (type != SQLITE_INTEGER) break;
      v.vt = VT_UI1;
      v.bVal = static_cast<uint8_t>(sqlite3_column_int(m_stmt, col));
      return v;
    case static_cast<int>(AccessType::Integer):
      if (type != SQLITE_INTEGER) break;
      v.vt = VT_I2;
      v.iVal = static_cast<int16_t>(sqlite3_column_int(m_stmt, col));
      return v;
    case static_cast<int>(AccessType::LongInteger):
      if (type != SQLITE_INTEGER) break;
      return VARIANT::I4(sqlite3_column_int(m_stmt, col));
    case static_cast<int>(AccessType::Currency):
      if (!numeric) break;
      v.vt = VT_CY;
      v.cyVal = type == SQLITE_INTEGER ? sqlite3_column_int64(m_stmt, col) * 10000
                                       : std::llround(sqlite3_column_double(m_stmt, col) * 10000.0);
      return v;
    case static_cast<int>(AccessType::Single):
      if (!numeric) break;
      v.vt = VT_R4;
      v.fltVal = static_cast<float>(sqlite3_column_double(m_stmt, col));
      return v;
    case static_cast<int>(AccessType::Double):
      if (!numeric) break;
      return VARIANT::R8(sqlite3_column_double(m_stmt, col));
    case static_cast<int>(AccessType::DateTime):
      if (!numeric) break;
      v.vt = VT_DATE;
      v.date = sqlite3_column_double(m_stmt, col);
      return v;
    case static_cast<int>(AccessType::Decimal):
      if (!numeric) break;
      v.vt = VT_DECIMAL;
      v.decVal = DecimalFromDouble(sqlite3_column_double(m_stmt, col));
      return v;
    default:
      break;  // text, binary and expressions: by SQLite's type below
  }
  switch (type) {
    case SQLITE_INTEGER: {
      sqlite3_int64 n = sqlite3_column_int64(m_stmt, col);
      if (n >= INT32_MIN && n <= INT32_MAX) return VARIANT::I4(static_cast<int32_t>(n));
      return VARIANT::R8(static_cast<double>(n));
    }
    case SQLITE_FLOAT:
      return VARIANT::R8(sqlite3_column_double(m_stmt, col));
    case SQLITE_TEXT: {
      const char* t = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
      return VARIANT::Str(std::string(t, static_cast<size_t>(sqlite3_column_bytes(m_stmt, col))));
    }
    default: {
      const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, col));
      v.vt = VT_ARRAY | VT_UI1;
      v.parray.assign(b, b + sqlite3_column_bytes(m_stmt, col));
      return v;
    }
  }
}

}  // namespace

HRESULT StepErrorCode(int rc, ScanErrors* errors) {
  if (errors->pending) {
    HRESULT hr = errors->pending->Error();
    errors->pending.reset();
    return hr;
  }
  if ((rc & 0xFF) == SQLITE_NOMEM) return E_OUTOFMEMORY;
  return E_FAIL;
}

std::unique_ptr<Cursor> MakeSqlCursor(std::shared_ptr<void> owner, sqlite3_stmt* stmt, ScanErrors* errors) {
  try {
    return std::make_unique<SqlCursor>(std::move(owner), stmt, errors);
  } catch (...) {
    // The constructor did not finish, so no destructor finalizes the statement.
    sqlite3_finalize(stmt);
    throw;
  }
}

}  // namespace jet
