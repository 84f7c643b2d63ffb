#include "platform/jet/sql/VirtualTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/com/ExactKey.h"
#include "platform/jet/sql/ColumnIndex.h"
#include "platform/jet/vba/Functions.h"
#include "platform/com/SqlName.h"

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
  // Counts the statements prepared on the connection: an index serves the
  // statement that built it, and the next one builds its own.
  uint64_t statements = 0;
};

struct Table {
  sqlite3_vtab base;  // first, as SQLite expects
  Module* module;
  std::string exactName;
  std::vector<ColumnDef> columns;
  std::vector<bool> scaleKept;  // per column: its Decimal scale is in ScanState
  long long rowCount = -1;      // as the table's definition records it
  TableIndexes indexes;
  // The exact BLOB of the value at hand (exactTransport), until SQLite or the
  // index has copied it.
  unsigned char exactKey[kExactKeySize];
  // A stream for rows found by an index, handed from cursor to cursor: SQLite
  // opens a subquery's cursor anew each time it runs the subquery.
  std::unique_ptr<RowStream> spareFetch;
};

struct Cursor {
  sqlite3_vtab_cursor base;
  std::unique_ptr<RowStream> scan;   // a pass over the table
  std::unique_ptr<RowStream> fetch;  // rows an index found, kept from lookup to lookup
  RowStream* rows = nullptr;         // the one the cursor stands on
  std::vector<int64_t> positions;    // an index's rows, in file order
  size_t nextPosition = 0;
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
    decl += QuotedSqlName(columns[i].name);
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
  try {
    t->rowCount = module->file->RowCount(exact);
  } catch (const _com_error&) {
    // a count is only a cost: the scan will say what is wrong
  }
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

// Plans, as xBestIndex hands them to xFilter in idxNum: the column above the low
// byte, and how it is constrained.
enum PlanBits { kScan = 0, kEqual = 1, kIn = 2, kLow = 4, kHigh = 8 };

bool IsBinary(AccessType type) { return type == AccessType::Binary || type == AccessType::OleObject; }

// Columns of numbers, whose index keeps their order.
bool IsOrdered(AccessType type) {
  switch (type) {
    case AccessType::Boolean: case AccessType::Byte: case AccessType::Integer: case AccessType::LongInteger:
    case AccessType::Currency: case AccessType::Single: case AccessType::Double: case AccessType::DateTime:
    case AccessType::Decimal: case AccessType::BigInt:
      return true;
    default:
      return false;
  }
}

// An index keyed by Jet's text order finds every row equal under it, and so every
// row equal under a stricter collation; another collation (RTRIM) is left to a scan.
bool IndexAgreesWith(const char* collation) {
  return !collation || sqlite3_stricmp(collation, kTextCollation) == 0 || sqlite3_stricmp(collation, "BINARY") == 0 ||
         sqlite3_stricmp(collation, "NOCASE") == 0;
}

// Costs as a database with an index on every column would give them, in rows
// read: a scan reads the table's rows; a lookup descends the index and reads the
// rows it finds, each at about twice the cost of a row in a scan, guessing ten
// rows a value, a quarter of the table past one bound and a sixteenth between two,
// as SQLite guesses for an index it has no statistics of. The first lookup of
// values on a column builds its index, a scan of the one column that the
// statement's later lookups share; a range builds it on its second call.
int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  Table* t = reinterpret_cast<Table*>(vtab);
  ++t->module->statements;
  const double rows = t->rowCount >= 0 ? std::max<double>(static_cast<double>(t->rowCount), 1) : 1e6;
  const double descend = std::log2(rows + 1);
  info->idxNum = kScan;
  info->estimatedCost = rows;
  info->estimatedRows = static_cast<sqlite3_int64>(rows);
  int equal = -1, low = -1, high = -1, rangeColumn = -1;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (!c.usable || c.iColumn < 0 || c.iColumn >= static_cast<int>(t->columns.size())) continue;
    const AccessType type = t->columns[c.iColumn].type;
    if (IsBinary(type) || !IndexAgreesWith(sqlite3_vtab_collation(info, i))) continue;
    if (c.op == SQLITE_INDEX_CONSTRAINT_EQ) {
      // A plain = before an IN, which reads more rows.
      if (equal < 0 || (sqlite3_vtab_in(info, equal, -1) && !sqlite3_vtab_in(info, i, -1))) equal = i;
      continue;
    }
    const bool lower = c.op == SQLITE_INDEX_CONSTRAINT_GT || c.op == SQLITE_INDEX_CONSTRAINT_GE;
    const bool upper = c.op == SQLITE_INDEX_CONSTRAINT_LT || c.op == SQLITE_INDEX_CONSTRAINT_LE;
    if (!IsOrdered(type) || !(lower || upper)) continue;
    // One column's bounds: the first column given one.
    if (rangeColumn < 0) rangeColumn = c.iColumn;
    if (c.iColumn != rangeColumn) continue;
    if (lower && low < 0) low = i;
    if (upper && high < 0) high = i;
  }
  double found;
  if (equal >= 0) {
    const bool in = sqlite3_vtab_in(info, equal, -1) != 0;
    const double values = in ? 10 : 1;  // an IN list's length is not known here
    found = std::min(rows, 10 * values);
    info->idxNum = info->aConstraint[equal].iColumn << 8 | (in ? kIn : kEqual);
    info->aConstraintUsage[equal].argvIndex = 1;
    if (in) sqlite3_vtab_in(info, equal, 1);
    info->estimatedCost = values * descend + 2 * found;
  } else if (low >= 0 || high >= 0) {
    found = rows / (low >= 0 && high >= 0 ? 16 : 4);
    int argv = 0;
    info->idxNum = info->aConstraint[low >= 0 ? low : high].iColumn << 8;
    if (low >= 0) info->idxNum |= kLow, info->aConstraintUsage[low].argvIndex = ++argv;
    if (high >= 0) info->idxNum |= kHigh, info->aConstraintUsage[high].argvIndex = ++argv;
    info->estimatedCost = descend + 2 * found;
  } else {
    return SQLITE_OK;
  }
  // SQLite checks each row it gets against the constraint again (omit stays 0):
  // the index may give it a row too many, never one too few.
  info->estimatedRows = static_cast<sqlite3_int64>(std::max(found, 1.0));
  return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  Cursor* c = new (std::nothrow) Cursor();
  if (!c) return SQLITE_NOMEM;
  *out = &c->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  Table* t = reinterpret_cast<Table*>(cur->pVtab);
  if (c->fetch && !t->spareFetch) t->spareFetch = std::move(c->fetch);
  delete c;
  return SQLITE_OK;
}

SqlValue SqlValueOf(Table* t, int col, const VARIANT& v);

// One scan of the column, keeping each row's value as SQLite would see it and
// the row's place; null when the column's values cannot be indexed or the rows
// cannot be gone back to.
std::unique_ptr<ColumnIndex> BuildIndex(Table* t, int col) {
  // Room for the rows the definition counts, but no more than a few million on
  // its word: a damaged count must not reserve gigabytes.
  auto index = std::make_unique<ColumnIndex>(static_cast<size_t>(std::clamp(t->rowCount, 0LL, 1LL << 22)));
  std::unique_ptr<RowStream> rows = t->module->file->Scan(t->exactName);
  while (rows->Next()) {
    const int64_t position = rows->Position();
    if (position < 0 || !index->Add(SqlValueOf(t, col, rows->Value(col)), position)) return nullptr;
  }
  index->Finish();
  return index;
}

// The rows an index gives for the plan, in file order, each once; false when
// the plan must scan.
bool LookUp(Table* t, Cursor* c, int plan, sqlite3_value** argv) {
  const int column = plan >> 8;
  const ColumnIndex* index =
      t->indexes.ForLookup(column, t->module->statements, (plan & (kLow | kHigh)) != 0,
                           [t, column] { return BuildIndex(t, column); });
  if (!index) return false;
  c->positions.clear();
  if (plan & kEqual) {
    if (!index->AppendEqual(argv[0], &c->positions)) return false;
  } else if (plan & kIn) {
    sqlite3_value* value = nullptr;
    int rc = sqlite3_vtab_in_first(argv[0], &value);
    for (; rc == SQLITE_OK && value; rc = sqlite3_vtab_in_next(argv[0], &value))
      if (!index->AppendEqual(value, &c->positions)) return false;
    if (rc != SQLITE_OK && rc != SQLITE_DONE) return false;
  } else {
    sqlite3_value* low = (plan & kLow) ? argv[0] : nullptr;
    sqlite3_value* high = (plan & kHigh) ? argv[(plan & kLow) ? 1 : 0] : nullptr;
    if (!index->AppendRange(low, high, &c->positions)) return false;
  }
  // In the order of the file, which reads each page once; an IN list's values may
  // name a row twice (1 and 1.0).
  std::sort(c->positions.begin(), c->positions.end());
  if (plan & kIn) c->positions.erase(std::unique(c->positions.begin(), c->positions.end()), c->positions.end());
  return true;
}

// Moves to the next row of the index's list, or of the scan.
void Step(Cursor* c) {
  if (c->rows == c->fetch.get()) {
    c->eof = c->nextPosition >= c->positions.size();
    if (c->eof) return;
    c->rowid = c->positions[c->nextPosition++];
    c->fetch->MoveTo(c->rowid);
    return;
  }
  c->eof = !c->scan->Next();
  // The row's place is its id, the same whichever way the row was reached.
  const int64_t position = c->eof ? -1 : c->scan->Position();
  c->rowid = position >= 0 ? position : c->rowid + 1;
}

int Filter(sqlite3_vtab_cursor* cur, int plan, const char*, int, sqlite3_value** argv) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  Table* t = reinterpret_cast<Table*>(cur->pVtab);
  try {
    c->scan.reset();
    c->rows = nullptr;
    if (plan != kScan && LookUp(t, c, plan, argv)) {
      if (!c->fetch) c->fetch = t->spareFetch ? std::move(t->spareFetch) : t->module->file->Scan(t->exactName);
      c->rows = c->fetch.get();
      c->nextPosition = 0;
    } else {
      c->scan = t->module->file->Scan(t->exactName);
      c->rows = c->scan.get();
      c->rowid = -1;
    }
    Step(c);
  } catch (const _com_error& e) {
    c->eof = true;
    return Fail(cur->pVtab, e);
  } catch (const std::bad_alloc&) {
    c->eof = true;
    return SQLITE_NOMEM;
  }
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cur) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  try {
    Step(c);
  } catch (const _com_error& e) {
    c->eof = true;
    return Fail(cur->pVtab, e);
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cur) { return reinterpret_cast<Cursor*>(cur)->eof ? 1 : 0; }

// A Decimal column's scale, for the cursor to give each of its values again.
void KeepScale(Table* t, int col, const DECIMAL& d) {
  if (t->scaleKept[col]) return;
  t->module->state->decimalScales[DecimalScaleKey(t->exactName, t->columns[col].name)] = d.scale;
  t->scaleKept[col] = true;
}

// A value as SQLite gets it, for the scan and for an index alike: the index's keys
// are what SQLite compares.
SqlValue SqlValueOf(Table* t, int col, const VARIANT& v) {
  SqlValue s;
  auto integer = [&s](int64_t i) { s.type = SQLITE_INTEGER, s.integer = i; };
  auto real = [&s](double r) { s.type = SQLITE_FLOAT, s.real = r; };
  auto exact = [&s, t](const Exact& e) {
    PutExactKey(e, t->exactKey);
    s.type = SQLITE_BLOB, s.bytes = reinterpret_cast<const char*>(t->exactKey), s.size = kExactKeySize;
  };
  switch (v.vt) {
    case VT_BSTR:
      s.type = SQLITE_TEXT, s.bytes = v.bstrVal.data(), s.size = static_cast<int>(v.bstrVal.size());
      break;
    case VT_UI1: integer(v.bVal); break;
    case VT_I2: integer(v.iVal); break;
    case VT_I4: integer(v.lVal); break;
    case VT_I8: integer(v.llVal); break;
    case VT_BOOL: integer(v.boolVal ? -1 : 0); break;
    case VT_R4: real(v.fltVal); break;
    case VT_R8: real(v.dblVal); break;
    case VT_DATE: real(v.date); break;
    case VT_CY:
      if (t->module->state->exactTransport) exact(Exact::OfCurrency(v.cyVal));
      else real(Exact::OfCurrency(v.cyVal).ToDouble());
      break;
    case VT_DECIMAL: {
      Exact e;
      KeepScale(t, col, v.decVal);
      if (!Exact::OfDecimal(v.decVal, &e)) break;  // no Decimal a file may hold: NULL
      if (t->module->state->exactTransport) exact(e);
      else real(e.ToDouble());
      break;
    }
    case VT_ARRAY | VT_UI1:
      s.type = SQLITE_BLOB, s.bytes = reinterpret_cast<const char*>(v.parray.data());
      s.size = static_cast<int>(v.parray.size());
      break;
    default:
      break;  // NULL
  }
  return s;
}

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
  Cursor* c = reinterpret_cast<Cursor*>(cur);
  try {
    const SqlValue v = SqlValueOf(reinterpret_cast<Table*>(cur->pVtab), col, c->rows->Value(col));
    switch (v.type) {
      case SQLITE_INTEGER: sqlite3_result_int64(ctx, v.integer); break;
      case SQLITE_FLOAT: sqlite3_result_double(ctx, v.real); break;
      // Copied: SQLite may keep the value past the next row (min(), sorting).
      case SQLITE_TEXT: sqlite3_result_text(ctx, v.bytes, v.size, SQLITE_TRANSIENT); break;
      case SQLITE_BLOB:
        if (v.size == 0) sqlite3_result_zeroblob(ctx, 0);
        else sqlite3_result_blob(ctx, v.bytes, v.size, SQLITE_TRANSIENT);
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
