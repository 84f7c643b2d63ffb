#include "platform/jet/sql/VirtualTable.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/jet/sql/Decimal.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

const char kModuleName[] = "jet";

namespace {

struct TypeName {
  AccessType type;
  const char* name;
  bool text;
};
const TypeName kTypeNames[] = {
    {AccessType::Boolean, "JET_BOOLEAN", false},    {AccessType::Byte, "JET_BYTE", false},
    {AccessType::Integer, "JET_INTEGER", false},    {AccessType::LongInteger, "JET_LONG", false},
    {AccessType::Currency, "JET_CURRENCY", false},  {AccessType::Single, "JET_SINGLE", false},
    {AccessType::Double, "JET_DOUBLE", false},      {AccessType::DateTime, "JET_DATETIME", false},
    {AccessType::Binary, "JET_BINARY_BLOB", false}, {AccessType::Text, "JET_TEXT", true},
    {AccessType::OleObject, "JET_OLE_BLOB", false}, {AccessType::Memo, "JET_MEMO_TEXT", true},
    {AccessType::ReplicationId, "JET_GUID_TEXT", true}, {AccessType::Decimal, "JET_DECIMAL", false},
    {AccessType::Complex, "JET_COMPLEX_TEXT", true}, {AccessType::BigInt, "JET_BIGINT", false},
    // A date where VT_DATE holds it, else its text: no affinity turns one into the other.
    {AccessType::DateTimeExtended, "JET_DATETIME_EXTENDED", false},
};

struct Module {
  std::shared_ptr<MdbFile> file;
  ScanState* state;
};

struct Table {
  sqlite3_vtab base;  // first, as SQLite expects
  Module* module;
  std::string exactName;
  std::vector<ColumnDef> columns;
  std::vector<bool> scaleKept;  // per column: its Decimal scale is in ScanState
};

struct Cursor {
  sqlite3_vtab_cursor base;
  std::unique_ptr<RowStream> stream;
  bool eof = true;
  sqlite3_int64 rowid = 0;
};

// Keeps the reader's error for the runner and tells SQLite the step failed.
int Fail(sqlite3_vtab* vtab, const _com_error& e) {
  Table* t = reinterpret_cast<Table*>(vtab);
  t->module->state->pending = e;
  sqlite3_free(vtab->zErrMsg);
  vtab->zErrMsg = sqlite3_mprintf("reading the database failed");
  return SQLITE_ERROR;
}

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
  Module* module = static_cast<Module*>(aux);
  if (argc < 3) return SQLITE_ERROR;
  std::string exact;
  std::vector<ColumnDef> columns;
  try {
    if (!module->file->FindTable(argv[2], &exact, &columns)) {
      *err = sqlite3_mprintf("no such table: %s", argv[2]);
      return SQLITE_ERROR;
    }
  } catch (const _com_error& e) {
    module->state->pending = e;
    *err = sqlite3_mprintf("reading the database failed");
    return SQLITE_ERROR;
  }
  std::string decl = "CREATE TABLE x(";
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i) decl += ", ";
    decl += Quoted(columns[i].name);
    decl += ' ';
    decl += DeclaredTypeOf(columns[i].type);
    for (const TypeName& t : kTypeNames)
      if (t.type == columns[i].type && t.text) decl += std::string(" COLLATE ") + kTextCollation;
  }
  if (columns.empty()) decl += "\"\" JET_TEXT";  // SQLite wants one column at least
  decl += ")";
  int rc = sqlite3_declare_vtab(db, decl.c_str());
  if (rc != SQLITE_OK) return rc;
  Table* t = new (std::nothrow) Table();
  if (!t) return SQLITE_NOMEM;
  t->module = module;
  t->exactName = exact;
  t->scaleKept.assign(columns.size(), false);
  t->columns = std::move(columns);
  *out = &t->base;
  return SQLITE_OK;
}

// A distinct xCreate keeps the module from being eponymous: a table exists in
// SQLite only once the provider created it for a name the file has.
int Create(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
  return Connect(db, aux, argc, argv, out, err);
}

int Disconnect(sqlite3_vtab* vtab) {
  delete reinterpret_cast<Table*>(vtab);
  return SQLITE_OK;
}

// Every plan is a full scan: the reader has no indexes to seek in.
int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = 1e6;
  info->estimatedRows = 1000000;
  return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  Cursor* c = new (std::nothrow) Cursor();
  if (!c) return SQLITE_NOMEM;
  *out = &c->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
  delete reinterpret_cast<Cursor*>(cur);
  return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  Table* t = reinterpret_cast<Table*>(cur->pVtab);
  try {
    c->stream.reset();
    c->stream = t->module->file->Scan(t->exactName);
    c->rowid = 0;
    c->eof = !c->stream->Next();
  } catch (const _com_error& e) {
    c->eof = true;
    return Fail(cur->pVtab, e);
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cur) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  try {
    c->eof = !c->stream->Next();
    ++c->rowid;
  } catch (const _com_error& e) {
    c->eof = true;
    return Fail(cur->pVtab, e);
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cur) { return reinterpret_cast<Cursor*>(cur)->eof ? 1 : 0; }

void ResultDecimal(Table* t, int col, sqlite3_context* ctx, const DECIMAL& d) {
  if (!t->scaleKept[col]) {
    t->module->state->decimalScales[DecimalScaleKey(t->exactName, t->columns[col].name)] = d.scale;
    t->scaleKept[col] = true;
  }
  double real = DecimalToDouble(d);
  ScanState* state = t->module->state;
  if (!SameDecimal(Rescaled(DecimalFromDouble(real), d.scale), d) &&
      state->decimalByReal.size() < ScanState::kMaxInexact)
    state->decimalByReal[real] = d;
  sqlite3_result_double(ctx, real);
}

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  try {
    const VARIANT& v = c->stream->Value(col);
    switch (v.vt) {
      case VT_BSTR:
        // Copied: SQLite may keep the value past the next row (min(), sorting).
        sqlite3_result_text(ctx, v.bstrVal.data(), static_cast<int>(v.bstrVal.size()), SQLITE_TRANSIENT);
        break;
      case VT_UI1: sqlite3_result_int(ctx, v.bVal); break;
      case VT_I2: sqlite3_result_int(ctx, v.iVal); break;
      case VT_I4: sqlite3_result_int(ctx, v.lVal); break;
      case VT_I8: sqlite3_result_int64(ctx, v.llVal); break;
      case VT_BOOL: sqlite3_result_int(ctx, v.boolVal ? -1 : 0); break;
      case VT_R4: sqlite3_result_double(ctx, v.fltVal); break;
      case VT_R8: sqlite3_result_double(ctx, v.dblVal); break;
      case VT_DATE: sqlite3_result_double(ctx, v.date); break;
      case VT_CY: {
        double amount;
        ScanState* state = reinterpret_cast<Table*>(cur->pVtab)->module->state;
        if (!CurrencyFitsDouble(v.cyVal, &amount) && state->currencyByReal.size() < ScanState::kMaxInexact)
          state->currencyByReal[amount] = v.cyVal;
        sqlite3_result_double(ctx, amount);
        break;
      }
      case VT_DECIMAL:
        ResultDecimal(reinterpret_cast<Table*>(cur->pVtab), col, ctx, v.decVal);
        break;
      case VT_ARRAY | VT_UI1:
        if (v.parray.empty()) sqlite3_result_zeroblob(ctx, 0);
        else sqlite3_result_blob(ctx, v.parray.data(), static_cast<int>(v.parray.size()), SQLITE_TRANSIENT);
        break;
      default:
        sqlite3_result_null(ctx);
    }
  } catch (const _com_error& e) {
    return Fail(cur->pVtab, e);
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
  *rowid = reinterpret_cast<Cursor*>(cur)->rowid;
  return SQLITE_OK;
}

const sqlite3_module kModule = {
    /* iVersion */ 0, Create, Connect, BestIndex, Disconnect, Disconnect, Open, Close, Filter, Next,
    Eof, Column, Rowid,
    /* xUpdate .. xShadowName: a read-only module */
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

void DestroyModule(void* p) { delete static_cast<Module*>(p); }

}  // namespace

bool RegisterJetModule(sqlite3* db, std::shared_ptr<MdbFile> file, ScanState* state) {
  Module* m = new Module{std::move(file), state};
  return sqlite3_create_module_v2(db, kModuleName, &kModule, m, DestroyModule) == SQLITE_OK;
}

std::string DecimalScaleKey(const std::string& table, const std::string& column) {
  return table + '\n' + column;
}

const char* DeclaredTypeOf(AccessType type) {
  for (const TypeName& t : kTypeNames)
    if (t.type == type) return t.name;
  return "JET_UNKNOWN";
}

bool AccessTypeOfDeclared(const char* declared, AccessType* type) {
  if (!declared) return false;
  for (const TypeName& t : kTypeNames)
    if (std::strcmp(t.name, declared) == 0) { *type = t.type; return true; }
  return false;
}

}  // namespace jet
