// bench_lookup: the statements that look rows up in another table (correlated
// EXISTS and NOT EXISTS, a scalar subquery per row, NOT IN over a subquery, a
// join on a text column that is no key), run as SQL mode exports them (ADO
// Connection and Recordset over the file, every value of every row read) over a file
// this program writes: Customers (20,000 rows) and Orders (200,000 rows), no
// index in the file. Beside each, SQLite over the same rows in native tables with
// an index on each looked-up column, every value read. Each side opens its
// database for each run (ours its file and connection, SQLite its database with
// the page cache our connection has), as a user's statement would. Bound: 3x
// SQLite's CPU time. Also the size of the index a statement builds, bound to 32
// bytes a row, and what building it costs. Each statement runs three times, the
// two sides taking turns; the least CPU time and the fastest wall time of each
// side count.
//
// Then sorting and grouping by text over People (fifty rows a customer, a million
// by default: some fifty thousand names, in more than one case and with accents):
// ORDER BY, GROUP BY and DISTINCT over a text column, ours and SQLite's each run
// once, bound 1.5x SQLite in its own binary order (in Jet's order it calls the
// collator per comparison, as ours does today); and the same over the virtual table on a bare connection with
// the keys lowered by hand (jet_sortkey), which is what the translator's lowering
// will give.
//
//   bench_lookup [customers]     default 20000; orders are ten times as many
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "platform/ado/Ado.h"
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/sql/ColumnIndex.h"
#include "platform/jet/sql/VirtualTable.h"
#include "platform/jet/vba/Functions.h"
#include "support/JetWriter.h"

namespace {

using jet::AccessType;

// Customer c (1-based) has Code "C-<c>"; an order names its customer by id and by
// that code in lower case, so that the text join finds it only without regard to
// case. Orders go to customers round the list, so a customer's orders lie on
// pages far apart; the last twentieth of the customers has none.
std::vector<jetwriter::Table> Tables(uint64_t customers) {
  const uint64_t buyers = customers - customers / 20;
  jetwriter::Table c;
  c.name = "Customers";
  c.columns = {{"CustomerID", AccessType::LongInteger}, {"Name", AccessType::Text, 40},
               {"City", AccessType::Text, 30}, {"Code", AccessType::Text, 12}};
  c.rowCount = customers;
  c.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    v[1] = VARIANT::Str("Customer " + std::to_string(r + 1));
    v[2] = VARIANT::Str("City " + std::to_string(r % 97));
    v[3] = VARIANT::Str("C-" + std::to_string(r + 1));
  };
  jetwriter::Table o;
  o.name = "Orders";
  o.columns = {{"OrderID", AccessType::LongInteger}, {"CustomerID", AccessType::LongInteger},
               {"CustCode", AccessType::Text, 12}, {"Qty", AccessType::LongInteger},
               {"OrderDate", AccessType::DateTime}, {"Amount", AccessType::Currency}};
  o.rowCount = customers * 10;
  o.row = [buyers](uint64_t r, std::vector<VARIANT>& v) {
    const uint64_t customer = r * 7919 % buyers + 1;
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    v[1] = VARIANT::I4(static_cast<int32_t>(customer));
    v[2] = VARIANT::Str("c-" + std::to_string(customer));
    v[3] = VARIANT::I4(static_cast<int32_t>((r * 2654435761u >> 11) % 100 + 1));  // 100 for one order in a hundred
    v[4] = jetwriter::Date(36526 + static_cast<double>(r % 3000) + (r % 24) / 24.0);
    v[5] = jetwriter::Cy(static_cast<int64_t>(r % 100000) * 100);
  };
  jetwriter::Table p;
  p.name = "People";
  p.columns = {{"PersonID", AccessType::LongInteger}, {"Name", AccessType::Text, 40}};
  p.rowCount = customers * 50;
  p.row = [](uint64_t r, std::vector<VARIANT>& v) {
    static const char* const given[] = {"Anna", "ANNA", "José", "JOSÉ", "Zoë", "Åsa", "Ólafur", "Björn",
                                        "Chloé", "Renée", "Søren", "Łukasz", "María", "maria", "Jürgen", "Ève"};
    static const char* const family[] = {"Müller", "Smith", "O'Brien", "Smith-Jones", "Dupont", "García",
                                         "Nguyễn", "Kowalski", "ßtraße", "Öztürk", "Lefèvre", "Novák",
                                         "da Silva", "van Dijk", "Ivanov", "Þórsson"};
    const uint64_t h = r * 2654435761u % 51200;
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    v[1] = VARIANT::Str(std::string(family[h % 16]) + " " + given[h / 16 % 16] + " " + std::to_string(h / 256));
  };
  return {c, o, p};
}

struct Statement {
  const char* what;
  const char* jet;     // as SQL mode sends it
  const char* native;  // the same for SQLite
};

// Over People: SQLite's side runs the same statement over its native copy.
const Statement kSorts[] = {
    {"ORDER BY a text column", "select PersonID, Name from People order by Name", nullptr},
    {"GROUP BY a text column", "select Name, count(*) from People group by Name", nullptr},
    {"DISTINCT over a text", "select distinct Name from People", nullptr},
};
// The same lowered by hand to sort keys, run over the virtual table directly.
const char* const kLoweredSorts[] = {
    "select PersonID, Name from People order by jet_sortkey(Name)",
    "select Name, count(*) from People group by jet_sortkey(Name)",
    "select Name from People group by jet_sortkey(Name)",
};

const Statement kStatements[] = {
    {"correlated EXISTS",
     "select c.Name from Customers c where exists "
     "(select 1 from Orders o where o.CustomerID = c.CustomerID and o.Qty > 99)",
     nullptr},
    {"correlated NOT EXISTS",
     "select c.CustomerID, c.Name from Customers c where not exists "
     "(select * from Orders o where o.CustomerID = c.CustomerID)",
     nullptr},
    {"scalar subquery per row",
     "select c.CustomerID, c.Name, (select max(o.OrderDate) from Orders o where o.CustomerID = c.CustomerID) "
     "as Newest from Customers c",
     "select c.CustomerID, c.Name, (select max(o.OrderDate) from Orders o where o.CustomerID = c.CustomerID) "
     "as Newest from Customers c"},
    {"NOT IN (select ...)",
     "select c.CustomerID, c.Name from Customers c where c.CustomerID not in "
     "(select o.CustomerID from Orders o where o.Qty > 99)",
     nullptr},
    {"join on a text column",
     "select o.OrderID, o.Qty, c.Name from Orders o inner join Customers c on o.CustCode = c.Code", nullptr},
};

struct Measure {
  double wall = 0, cpu = 0;
  long rows = -1;
  double sum = 0;  // of the numbers read: both sides must read the same
};

double CpuNow() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

Measure Timed(const std::function<void(Measure*)>& f) {
  Measure m;
  const double cpu = CpuNow();
  const auto t0 = std::chrono::steady_clock::now();
  f(&m);
  m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  m.cpu = CpuNow() - cpu;
  return m;
}

void Ours(const std::string& path, const char* sql, Measure* m) {
  CoInitialize(nullptr);
  {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    rs->Open(sql, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    FieldsPtr fields = rs->GetFields();
    const long n = fields->GetCount();
    m->rows = 0;
    std::vector<const VARIANT*> values(static_cast<size_t>(n));
    while (!rs->GetadoEOF()) {
      // As the export reads a row.
      fields->PeekValues(values.data());
      for (const VARIANT* v : values) {
        if (v->vt == VT_I4) m->sum += v->lVal;
        else if (v->vt == VT_DATE) m->sum += v->date;
        else if (v->vt == VT_BSTR) m->sum += static_cast<double>(v->bstrVal.size());
      }
      ++m->rows;
      rs->MoveNext();
    }
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
}

// Reads every value of every row of a prepared statement, then finalises it.
void ReadAll(sqlite3_stmt* stmt, Measure* m) {
  m->rows = 0;
  const int n = sqlite3_column_count(stmt);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int c = 0; c < n; ++c) {
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: m->sum += static_cast<double>(sqlite3_column_int64(stmt, c)); break;
        case SQLITE_FLOAT: m->sum += sqlite3_column_double(stmt, c); break;
        case SQLITE_TEXT: m->sum += sqlite3_column_bytes(stmt, c); break;
        default: break;
      }
    }
    ++m->rows;
  }
  sqlite3_finalize(stmt);
}

// Opens the database as ours opens the file, with the page cache our connection
// has, and reads every value of every row.
void Native(const std::string& path, const char* sql, Measure* m) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      !jet::RegisterVbaFunctions(db) ||
      sqlite3_exec(db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "bench_lookup: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return;
  }
  ReadAll(stmt, m);
  sqlite3_close(db);
}

// The file's People as the provider shows it, a virtual table on a connection
// configured as the provider's, with no translator in front: for statements
// already in the engine's SQLite form.
void Engine(const std::string& path, const char* sql, Measure* m) {
  jet::ScanState state;
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  const std::string ddl = std::string("CREATE VIRTUAL TABLE People USING ") + jet::kModuleName +
                          "; PRAGMA temp_store = FILE; PRAGMA cache_size = -16384";
  if (sqlite3_open(":memory:", &db) != SQLITE_OK || !jet::RegisterVbaFunctions(db) ||
      !jet::RegisterJetModule(db, jet::MdbFile::Open(path), &state) ||
      sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "bench_lookup: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return;
  }
  ReadAll(stmt, m);
  sqlite3_close(db);
}

// The same rows in native tables: texts in Jet's collation, as ours compare.
bool NativeCopy(sqlite3* db, const std::vector<jetwriter::Table>& tables) {
  if (!jet::RegisterVbaFunctions(db)) return false;
  const char* ddl =
      "CREATE TABLE Customers(CustomerID INTEGER, Name TEXT COLLATE JETTEXT, City TEXT COLLATE JETTEXT,"
      " Code TEXT COLLATE JETTEXT);"
      "CREATE TABLE Orders(OrderID INTEGER, CustomerID INTEGER, CustCode TEXT COLLATE JETTEXT, Qty INTEGER,"
      " OrderDate REAL, Amount REAL);"
      "CREATE TABLE People(PersonID INTEGER, Name TEXT COLLATE JETTEXT);"
      "BEGIN;";
  if (sqlite3_exec(db, ddl, nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  for (const jetwriter::Table& t : tables) {
    std::string insert = "INSERT INTO " + t.name + " VALUES(?";
    for (size_t i = 1; i < t.columns.size(); ++i) insert += ",?";
    insert += ")";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return false;
    std::vector<VARIANT> values(t.columns.size());
    for (uint64_t r = 0; r < t.rowCount; ++r) {
      std::fill(values.begin(), values.end(), VARIANT());
      t.row(r, values);
      for (size_t i = 0; i < values.size(); ++i) {
        const VARIANT& v = values[i];
        const int p = static_cast<int>(i) + 1;
        if (v.vt == VT_I4) sqlite3_bind_int(stmt, p, v.lVal);
        else if (v.vt == VT_BSTR) sqlite3_bind_text(stmt, p, v.bstrVal.c_str(), -1, SQLITE_TRANSIENT);
        else if (v.vt == VT_DATE) sqlite3_bind_double(stmt, p, v.date);
        else if (v.vt == VT_CY) sqlite3_bind_double(stmt, p, static_cast<double>(v.cyVal) / 10000);
        else sqlite3_bind_null(stmt, p);
      }
      sqlite3_step(stmt);
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
  }
  const char* indexes =
      "COMMIT;"
      "CREATE INDEX OrdersCustomer ON Orders(CustomerID);"
      "CREATE INDEX OrdersCode ON Orders(CustCode);"
      "CREATE INDEX CustomersCode ON Customers(Code);"
      "CREATE TABLE PeopleBinary AS SELECT PersonID, Name FROM People;"
      "ANALYZE;";
  return sqlite3_exec(db, indexes, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The index a statement builds over Orders' CustomerID and CustCode, from the file.
void IndexSize(const std::string& path) {
  auto file = jet::MdbFile::Open(path);
  std::string exact;
  std::vector<jet::ColumnDef> columns;
  if (!file->FindTable("Orders", &exact, &columns)) return;
  for (int col : {1, 2}) {
    const double cpu = CpuNow();
    jet::ColumnIndex index(static_cast<size_t>(std::max(file->RowCount(exact), 0LL)));
    auto rows = file->Scan(exact);
    while (rows->Next()) {
      const VARIANT& v = rows->Value(col);
      jet::SqlValue s;
      if (v.vt == VT_I4) s.type = SQLITE_INTEGER, s.integer = v.lVal;
      if (v.vt == VT_BSTR) s.type = SQLITE_TEXT, s.bytes = v.bstrVal.data(), s.size = static_cast<int>(v.bstrVal.size());
      index.Add(s, rows->Position());
    }
    const double scanned = CpuNow();
    index.Finish();
    const double sorted = CpuNow();
    const double perRow = static_cast<double>(index.Bytes()) / static_cast<double>(index.Rows());
    std::printf("  index of Orders.%s: %zu rows, %.1f bytes a row, read in %.3f s, sorted in %.3f s  %s\n",
                columns[col].name.c_str(), index.Rows(), perRow, scanned - cpu, sorted - scanned,
                perRow <= 32 ? "within 32 bytes" : "OUT OF BOUNDS");
  }
}

bool WriteFile(const std::string& path, const std::vector<jetwriter::Table>& tables) {
  const pid_t pid = fork();
  if (pid == 0) {
    try {
      jetwriter::WriteJet4(path, tables);
      _exit(0);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t customers = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
  const std::string stem = "/tmp/kelvane_bench_lookup_" + std::to_string(getpid());
  const std::string path = stem + ".mdb", nativePath = stem + ".sqlite";
  const std::vector<jetwriter::Table> tables = Tables(customers);
  sqlite3* db = nullptr;
  bool written = WriteFile(path, tables) && sqlite3_open(nativePath.c_str(), &db) == SQLITE_OK && NativeCopy(db, tables);
  sqlite3_close(db);
  if (!written) {
    std::fprintf(stderr, "bench_lookup: cannot write %s or %s\n", path.c_str(), nativePath.c_str());
    unlink(path.c_str());
    unlink(nativePath.c_str());
    return 1;
  }
  double load[1] = {0};
  if (getloadavg(load, 1) == 1)
    std::printf("load average %.1f on %ld processors at the start\n", load[0], sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("bench_lookup: Customers %llu rows, Orders %llu rows, no index in the file\n",
              static_cast<unsigned long long>(customers), static_cast<unsigned long long>(customers * 10));
  std::printf("  %-26s %7s  %8s %8s  %8s %8s  %6s %6s\n", "statement", "rows", "ours s", "cpu s", "SQLite s",
              "cpu s", "ratio", "cpu");
  int rc = 0;
  try {
    for (const Statement& s : kStatements) {
      Measure ours, native;
      for (int run = 0; run < 3; ++run) {
        const Measure a = Timed([&](Measure* m) { Ours(path, s.jet, m); });
        const Measure b = Timed([&](Measure* m) { Native(nativePath, s.native ? s.native : s.jet, m); });
        if (run == 0) ours = a, native = b;
        ours.wall = std::min(ours.wall, a.wall), ours.cpu = std::min(ours.cpu, a.cpu);
        native.wall = std::min(native.wall, b.wall), native.cpu = std::min(native.cpu, b.cpu);
      }
      // Rows may come in another order, and sums of dates round differently then.
      const bool same = ours.rows == native.rows && std::abs(ours.sum - native.sum) <= 1e-9 * std::abs(native.sum);
      const bool holds = same && ours.cpu <= 3 * native.cpu;
      std::printf("  %-26s %7ld  %8.3f %8.3f  %8.3f %8.3f  %5.1fx %5.1fx  %s\n", s.what, ours.rows, ours.wall,
                  ours.cpu, native.wall, native.cpu, ours.wall / native.wall, ours.cpu / native.cpu,
                  !same ? "RESULTS DIFFER" : holds ? "within 3x" : "OUT OF BOUNDS");
      std::fflush(stdout);
      if (!holds) rc = 1;
    }
    IndexSize(path);
    std::printf("bench_lookup: People %llu rows, one run each; bound 1.5x the CPU time of SQLite in its own\n"
                "  (binary) order over PeopleBinary; results checked against SQLite in Jet's order\n",
                static_cast<unsigned long long>(customers * 50));
    for (size_t i = 0; i < std::size(kSorts); ++i) {
      const Statement& s = kSorts[i];
      std::string binarySql = s.jet;
      binarySql.replace(binarySql.find("People"), 6, "PeopleBinary");
      const Measure native = Timed([&](Measure* m) { Native(nativePath, s.jet, m); });
      const Measure binary = Timed([&](Measure* m) { Native(nativePath, binarySql.c_str(), m); });
      const Measure ours = Timed([&](Measure* m) { Ours(path, s.jet, m); });
      const Measure lowered = Timed([&](Measure* m) { Engine(path, kLoweredSorts[i], m); });
      std::printf("  %-26s %7ld  SQLite in Jet's order %.3f s (cpu %.3f), in binary order %.3f s (cpu %.3f)\n",
                  s.what, native.rows, native.wall, native.cpu, binary.wall, binary.cpu);
      for (const auto& [what, m] : {std::pair{"  ours", ours}, std::pair{"  the same with sort keys", lowered}}) {
        // Groups may be named by another of their spellings, of the same length.
        const bool same = m.rows == native.rows && std::abs(m.sum - native.sum) <= 1e-9 * std::abs(native.sum);
        const bool holds = same && m.cpu <= 1.5 * binary.cpu;
        std::printf("  %-26s %7ld  %8.3f %8.3f  %8.3f %8.3f  %5.1fx %5.1fx  %s\n", what, m.rows, m.wall, m.cpu,
                    binary.wall, binary.cpu, m.wall / binary.wall, m.cpu / binary.cpu,
                    !same ? "RESULTS DIFFER" : holds ? "within 1.5x" : "OUT OF BOUNDS");
        std::fflush(stdout);
        if (!holds) rc = 1;
      }
    }
  } catch (const _com_error& e) {
    std::fprintf(stderr, "bench_lookup: error 0x%08X\n", static_cast<unsigned>(e.Error()));
    rc = 1;
  }
  unlink(path.c_str());
  unlink(nativePath.c_str());
  return rc;
}
