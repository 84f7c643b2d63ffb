#include "platform/jet/sql/Cursor.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <map>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/com/ExactKey.h"
#include "platform/jet/sql/Decimal.h"
#include "platform/jet/sql/Translate.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return CompareJetText(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) == 0;
}

class SqlCursor : public Cursor {
 public:
  SqlCursor(std::shared_ptr<void> owner, SqliteStatement statement, ScanState* state, int tieKeys,
            long long tieLimit, const ResultTypes* types)
      : m_owner(std::move(owner)), m_statement(std::move(statement)), m_stmt(m_statement.get()), m_state(state),
        m_tieKeys(tieKeys), m_tieLimit(tieLimit) {
    sqlite3_stmt* stmt = m_stmt;
    int n = sqlite3_column_count(stmt) - tieKeys;
    m_names = ResultColumnNames(stmt, n, types);
    for (int i = 0; i < n; ++i) {
      AccessType t;
      m_types.push_back(AccessTypeOfDeclared(sqlite3_column_decltype(stmt, i), &t) ? static_cast<int>(t)
                                                                                   : ExpressionType(types, i, n));
      m_scales.push_back(-1);
      const char* table = sqlite3_column_table_name(stmt, i);
      const char* origin = sqlite3_column_origin_name(stmt, i);
      if (m_types.back() == static_cast<int>(AccessType::Decimal) && table && origin) m_decimalKeys[i] = DecimalScaleKey(table, origin);
    }
    Step();
  }
  ~SqlCursor() override {
    for (sqlite3_value* v : m_lastKeys) sqlite3_value_free(v);
  }

  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override {
    if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
    return m_names[col];
  }
  int ColumnType(int col) const override { return col >= 0 && col < ColumnCount() ? m_types[col] : -1; }
  bool Eof() const override { return m_eof; }
  void MoveNext() override {
    if (m_eof) throw _com_error(E_FAIL);
    Step();
  }
  VARIANT Value(int col) const override;
  const VARIANT& ValueRef(int col) override;

 private:
  void Step() {
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW && m_tieKeys && !TiedOrWithinTop()) {
      sqlite3_reset(m_stmt);  // stop reading
      rc = SQLITE_DONE;
    }
    if (rc == SQLITE_ROW) {
      m_eof = false;
      // Scales are known once a scan has passed a value of the column.
      for (auto it = m_decimalKeys.begin(); it != m_decimalKeys.end();) {
        auto found = m_state->decimalScales.find(it->second);
        if (found == m_state->decimalScales.end()) { ++it; continue; }
        m_scales[it->first] = found->second;
        it = m_decimalKeys.erase(it);
      }
      return;
    }
    m_eof = true;
    if (rc == SQLITE_DONE) return;
    const _com_error e = StepError(rc, m_state);
    sqlite3_reset(m_stmt);
    throw e;
  }

  // TOP n with ties: true for the first n rows and for those whose keys equal
  // the n-th row's.
  bool TiedOrWithinTop() {
    ++m_rowsSeen;
    if (m_tieLimit <= 0) return false;
    int first = sqlite3_column_count(m_stmt) - m_tieKeys;
    if (m_rowsSeen <= m_tieLimit) {
      if (m_rowsSeen == m_tieLimit)
        for (int k = 0; k < m_tieKeys; ++k) m_lastKeys.push_back(sqlite3_value_dup(sqlite3_column_value(m_stmt, first + k)));
      return true;
    }
    for (int k = 0; k < m_tieKeys; ++k)
      if (k >= static_cast<int>(m_lastKeys.size()) || !m_lastKeys[k] ||
          !SameKey(m_lastKeys[k], sqlite3_column_value(m_stmt, first + k)))
        return false;
    return true;
  }

  // The type an expression column is handed out as: a Yes/No, a date, a Currency,
  // a Decimal or a real (VT_R8) where the translator found one; integers and
  // texts go by the value's own type (integers that fit as VT_I4, else VT_R8).
  // `count` is the number of columns, hidden keys not counted.
  static int ExpressionType(const ResultTypes* types, int col, int count) {
    if (!types) return -1;
    // Counts that do not match are a select list the translator read otherwise
    // than SQLite: then no column is typed by it.
    size_t known = types->first.size() + (types->whole ? 0 : types->last.size());
    if (types->whole ? known != static_cast<size_t>(count) : known > static_cast<size_t>(count)) return -1;
    int type = -1;
    size_t c = static_cast<size_t>(col), fromEnd = static_cast<size_t>(count - col);
    if (c < types->first.size()) type = types->first[c].type;
    else if (!types->whole && fromEnd <= types->last.size()) type = types->last[types->last.size() - fromEnd].type;
    switch (static_cast<AccessType>(type)) {
      case AccessType::Boolean: case AccessType::Currency: case AccessType::DateTime: case AccessType::Decimal:
      case AccessType::Double:
        return type;
      case AccessType::Single:
        return static_cast<int>(AccessType::Double);
      default:
        return -1;
    }
  }

  // The number of an exact BLOB (ScanState::exactTransport) in the column.
  bool ExactBlob(int col, Exact* out) const {
    return ExactOfKey(sqlite3_column_blob(m_stmt, col), static_cast<size_t>(sqlite3_column_bytes(m_stmt, col)), out);
  }

  static bool SameKey(sqlite3_value* a, sqlite3_value* b) {
    int ta = sqlite3_value_type(a), tb = sqlite3_value_type(b);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) return ta == tb;
    bool na = ta == SQLITE_INTEGER || ta == SQLITE_FLOAT, nb = tb == SQLITE_INTEGER || tb == SQLITE_FLOAT;
    if (na || nb) return na && nb && sqlite3_value_double(a) == sqlite3_value_double(b);
    const char* x = static_cast<const char*>(sqlite3_value_blob(a));
    const char* y = static_cast<const char*>(sqlite3_value_blob(b));
    int lx = sqlite3_value_bytes(a), ly = sqlite3_value_bytes(b);
    if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) return CompareJetText(x, lx, y, ly) == 0;
    return lx == ly && (lx == 0 || std::memcmp(x, y, static_cast<size_t>(lx)) == 0);
  }

  std::shared_ptr<void> m_owner;
  SqliteStatement m_statement;  // after m_owner: finalised while the connection stands
  sqlite3_stmt* m_stmt;
  ScanState* m_state;
  int m_tieKeys;
  long long m_tieLimit;
  long long m_rowsSeen = 0;
  std::vector<sqlite3_value*> m_lastKeys;
  std::vector<std::string> m_names;
  std::vector<int> m_types;
  std::vector<int> m_scales;                 // a Decimal column's scale, -1 while unknown
  std::map<int, std::string> m_decimalKeys;  // Decimal columns whose scale is still unknown
  std::vector<VARIANT> m_current;  // ValueRef's values, whose text storage the next rows reuse
  bool m_eof = true;
};

const VARIANT& SqlCursor::ValueRef(int col) {
  if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
  if (m_eof) throw _com_error(E_FAIL);
  if (m_current.empty()) m_current.resize(m_names.size());
  VARIANT& v = m_current[static_cast<size_t>(col)];
  // A Text or Memo column's text is copied into storage kept from the rows before.
  const bool text = m_types[col] == static_cast<int>(AccessType::Text) ||
                    m_types[col] == static_cast<int>(AccessType::Memo);
  if (text && sqlite3_column_type(m_stmt, col) == SQLITE_TEXT) {
    v.vt = VT_BSTR;
    v.bstrVal.assign(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)),
                     static_cast<size_t>(sqlite3_column_bytes(m_stmt, col)));
    return v;
  }
  v = Value(col);
  return v;
}

VARIANT SqlCursor::Value(int col) const {
  if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
  if (m_eof) throw _com_error(E_FAIL);
  int type = sqlite3_column_type(m_stmt, col);
  if (type == SQLITE_NULL) return VARIANT::Null();
  VARIANT v;
  Exact exact;
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
      if (type == SQLITE_BLOB && ExactBlob(col, &exact)) {
        if (!exact.ToCurrency(&v.cyVal)) break;  // no Currency: a Decimal, below
        v.vt = VT_CY;
        return v;
      }
      if (!numeric) break;
      v.vt = VT_CY;
      // A number where Jet has a Currency (a constant branch): as CCur turns it.
      if (type == SQLITE_INTEGER) {
        v.cyVal = sqlite3_column_int64(m_stmt, col) * 10000;
      } else if (!Exact::OfDouble(sqlite3_column_double(m_stmt, col), &exact) || !exact.ToCurrency(&v.cyVal)) {
        return VARIANT::R8(sqlite3_column_double(m_stmt, col));
      }
      return v;
    case static_cast<int>(AccessType::Single):
      if (!numeric) break;
      v.vt = VT_R4;
      v.fltVal = static_cast<float>(sqlite3_column_double(m_stmt, col));
      return v;
    case static_cast<int>(AccessType::Double):
      if (!numeric) break;
      return VARIANT::R8(sqlite3_column_double(m_stmt, col));
    case static_cast<int>(AccessType::BigInt):
      if (type != SQLITE_INTEGER) break;
      v.vt = VT_I8;
      v.llVal = sqlite3_column_int64(m_stmt, col);
      return v;
    case static_cast<int>(AccessType::DateTime):
    case static_cast<int>(AccessType::DateTimeExtended):
      if (!numeric) break;
      v.vt = VT_DATE;
      v.date = sqlite3_column_double(m_stmt, col);
      return v;
    case static_cast<int>(AccessType::Decimal):
      if (type == SQLITE_BLOB) break;  // an exact BLOB, below
      if (!numeric) break;
      v.vt = VT_DECIMAL;
      v.decVal = DecimalFromDouble(sqlite3_column_double(m_stmt, col));
      if (m_scales[col] >= 0) v.decVal = Rescaled(v.decVal, static_cast<uint8_t>(m_scales[col]));
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
      // An exact BLOB of a Decimal column or of an expression of no known type;
      // a Binary or OLE column's bytes stay bytes.
      const bool bytes = m_types[col] == static_cast<int>(AccessType::Binary) ||
                         m_types[col] == static_cast<int>(AccessType::OleObject);
      if (!bytes && ExactBlob(col, &exact)) {
        v.vt = VT_DECIMAL;
        v.decVal = exact.ToDecimal();
        if (m_types[col] == static_cast<int>(AccessType::Decimal) && m_scales[col] >= 0)
          v.decVal = Rescaled(v.decVal, static_cast<uint8_t>(m_scales[col]));
        return v;
      }
      const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, col));
      v.vt = VT_ARRAY | VT_UI1;
      v.parray.assign(b, b + sqlite3_column_bytes(m_stmt, col));
      return v;
    }
  }
}

// Stands on its rows as the reader gives them: the values are the reader's own
// VARIANTs, as a plain column reference through SQLite gives them too.
class DirectCursor : public Cursor {
 public:
  DirectCursor(std::shared_ptr<void> owner, std::unique_ptr<RowStream> stream, std::vector<int> columns,
               std::vector<std::string> names, std::vector<int> types, long long limit)
      : m_owner(std::move(owner)), m_stream(std::move(stream)), m_columns(std::move(columns)),
        m_names(std::move(names)), m_types(std::move(types)), m_left(limit) {
    Advance();
  }
  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override {
    if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
    return m_names[col];
  }
  int ColumnType(int col) const override {
    return col >= 0 && static_cast<size_t>(col) < m_types.size() ? m_types[col] : -1;
  }
  bool Eof() const override { return m_eof; }
  void MoveNext() override {
    if (m_eof) throw _com_error(E_FAIL);
    Advance();
  }
  VARIANT Value(int col) const override { return Current(col); }
  const VARIANT& ValueRef(int col) override { return Current(col); }
  void RowRefs(const VARIANT** out) override {
    if (m_eof) throw _com_error(E_FAIL);
    m_stream->Values(m_columns.data(), m_columns.size(), out);
  }

 private:
  const VARIANT& Current(int col) const {
    if (col < 0 || col >= ColumnCount()) throw _com_error(E_INVALIDARG);
    if (m_eof) throw _com_error(E_FAIL);
    return m_stream->Value(m_columns[col]);
  }

  void Advance() {
    if (m_left == 0) {
      m_eof = true;
      m_stream.reset();  // stop reading, as SQLite closes a finished scan
      return;
    }
    m_eof = true;
    bool row = m_stream->Next();
    if (!row) {
      m_stream.reset();
      return;
    }
    m_eof = false;
    if (m_left > 0) --m_left;
  }

  std::shared_ptr<void> m_owner;
  std::unique_ptr<RowStream> m_stream;
  std::vector<int> m_columns;
  std::vector<std::string> m_names;
  std::vector<int> m_types;
  long long m_left;
  bool m_eof = true;
};

}  // namespace

std::unique_ptr<Cursor> MakeDirectCursor(std::shared_ptr<void> owner, std::unique_ptr<RowStream> stream,
                                         std::vector<int> columns, std::vector<std::string> names,
                                         std::vector<int> types, long long limit) {
  return std::make_unique<DirectCursor>(std::move(owner), std::move(stream), std::move(columns), std::move(names),
                                        std::move(types), limit);
}

std::vector<std::string> ResultColumnNames(sqlite3_stmt* stmt, int count, const ResultTypes* types) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(stmt, i);
    std::string s = name ? name : "";
    if (s == kExprAlias) s = "Expr" + std::to_string(1000 + i);
    // SQLite reads a parenthesized join as a subquery whose repeated names it
    // numbers ("CustomerID:1"); the column keeps its own name.
    const char* origin = sqlite3_column_origin_name(stmt, i);
    const size_t o = origin ? std::strlen(origin) : 0;
    if (origin && s.size() > o + 1 && s.compare(0, o, origin) == 0 && s[o] == ':' &&
        s.find_first_not_of("0123456789", o + 1) == std::string::npos)
      s.resize(o);
    names.push_back(s);
  }
  // Columns of the same name from different tables (select * over a join) are
  // told apart by their table, as "Orders.OrderID".
  std::vector<int> qualified;
  for (int i = 0; i < count; ++i) {
    bool duplicate = false;
    for (int j = 0; j < count && !duplicate; ++j)
      duplicate = j != i && SameName(names[i], names[j]);
    const char* table = sqlite3_column_table_name(stmt, i);
    if (duplicate && table && sqlite3_column_origin_name(stmt, i)) qualified.push_back(i);
  }
  // By the alias the statement gives the table where it gives one (a table joined
  // to itself has two).
  const bool aliases = types && types->whole && types->first.size() == static_cast<size_t>(count);
  for (int i : qualified) {
    const std::string& alias = aliases ? types->first[static_cast<size_t>(i)].source : std::string();
    names[i] = (alias.empty() ? std::string(sqlite3_column_table_name(stmt, i)) : alias) + "." + names[i];
  }
  return names;
}

_com_error StepError(int rc, ScanState* state) {
  if (state->pending) {
    const _com_error e = *state->pending;
    state->pending.reset();
    return e;
  }
  if ((rc & 0xFF) == SQLITE_NOMEM) return _com_error(E_OUTOFMEMORY);
  return _com_error(E_FAIL);
}

std::unique_ptr<Cursor> MakeSqlCursor(std::shared_ptr<void> owner, SqliteStatement stmt, ScanState* state,
                                      int tieKeys, long long tieLimit, const ResultTypes* types) {
  return std::make_unique<SqlCursor>(std::move(owner), std::move(stmt), state, tieKeys, tieLimit, types);
}

}  // namespace jet
