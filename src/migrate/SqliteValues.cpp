#include "migrate/SqliteValues.h"

#include <string>
#include "migrate/ValueForms.h"

namespace migrate {

void BindValue(sqlite3_stmt* stmt, int i, const VARIANT& v, std::string* scratch) {
  switch (v.vt) {
    case VT_NULL: case VT_EMPTY: sqlite3_bind_null(stmt, i); return;
    case VT_BOOL: sqlite3_bind_int(stmt, i, v.boolVal ? 1 : 0); return;
    case VT_UI1: sqlite3_bind_int(stmt, i, v.bVal); return;
    case VT_I2: sqlite3_bind_int(stmt, i, v.iVal); return;
    case VT_I4: sqlite3_bind_int(stmt, i, v.lVal); return;
    case VT_I8: sqlite3_bind_int64(stmt, i, v.llVal); return;
    case VT_R4: sqlite3_bind_double(stmt, i, v.fltVal); return;
    case VT_R8: sqlite3_bind_double(stmt, i, v.dblVal); return;
    case VT_CY:
      if (v.cyVal % 10000 == 0) {
        sqlite3_bind_int64(stmt, i, v.cyVal / 10000);
        return;
      }
      [[fallthrough]];
    case VT_DECIMAL: {
      // A REAL where it keeps the value, else the exact text.
      *scratch = ExactDecimal(v);
      double d;
      long long n;
      if (scratch->find('.') == std::string::npos && scratch->size() < 19) {
        n = std::stoll(*scratch);
        sqlite3_bind_int64(stmt, i, n);
      } else if (RealKeepsDecimal(*scratch, &d)) {
        sqlite3_bind_double(stmt, i, d);
      } else {
        sqlite3_bind_text(stmt, i, scratch->data(), static_cast<int>(scratch->size()), SQLITE_TRANSIENT);
      }
      return;
    }
    case VT_DATE:
      if (IsoDateTime(v.date, scratch)) {
        sqlite3_bind_text(stmt, i, scratch->data(), static_cast<int>(scratch->size()), SQLITE_TRANSIENT);
      } else {
        sqlite3_bind_double(stmt, i, v.date);
      }
      return;
    case VT_BSTR:
      sqlite3_bind_text(stmt, i, v.bstrVal.data(), static_cast<int>(v.bstrVal.size()), SQLITE_STATIC);
      return;
    default:
      if (v.vt == (VT_ARRAY | VT_UI1)) {
        sqlite3_bind_blob(stmt, i, v.parray.data(), static_cast<int>(v.parray.size()), SQLITE_STATIC);
        return;
      }
      sqlite3_bind_null(stmt, i);
  }
}

}  // namespace migrate
