// The export run, headless, on the code "开始导出" uses (ExportRun over the ADO
// layer), beside the reader's floor: the plain libmdb scan of the same table with
// nothing bound. Then a statement with WHERE and ORDER BY over the same rows
// (SQLite's sorter behind the virtual table) beside the plain export. Each
// measurement runs in a child process, so its peak memory (ru_maxrss) is its own
// and can be compared across table sizes. The export's bounds: 3x the scan (wall
// and CPU), the sorted statement 3x the plain export, memory under 64 MB.
// Last, a statement of typed expressions (a date moved by a day, a text joined,
// a Yes/No condition) beside the plain export: the price of Jet's typing, bound
// to twice the plain export.
// Then Sum of the Currency column over all rows beside the exact sum of the
// values the reader decodes: they must be equal to the ten-thousandth.
// Every measurement runs three times, the kinds taking turns, and the fastest wall
// time and the smallest CPU time of each kind are compared: a machine busy with
// other work only ever adds time, and adds it to whichever run it happens to hit.
//
//   bench_export [rows ...]     default: 100000 1000000
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "platform/jet/Provider.h"
#include "platform/jet/file/MdbFile.h"
#include "support/JetWriter.h"
#include "support/LibmdbScan.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 0;  // wall clock of the measured work
  double cpu = 0;      // user + system time of the whole child: steadier on a busy machine
  long rows = 0;
  long maxRssKb = 0;
  bool ok = false;
  int runs = 0;  // of which this is the best
};

// Runs f in a child; the child reports its time and row count through a pipe.
Measure InChild(const std::function<long()>& f) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    auto t0 = std::chrono::steady_clock::now();
    long rows = f();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.6f %ld", s, rows);
    if (write(fds[1], buf, static_cast<size_t>(n)) != n) _exit(2);
    _exit(rows < 0 ? 1 : 0);
  }
  close(fds[1]);
  Measure m;
  char buf[64] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  if (n > 0 && std::sscanf(buf, "%lf %ld", &m.seconds, &m.rows) == 2) m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  m.maxRssKb = ru.ru_maxrss;
  m.cpu = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
  return m;
}

// The best of several runs: fastest wall time, least CPU time, and the largest
// peak memory any of them had.
void KeepBest(Measure* best, const Measure& m) {
  if (best->runs++ == 0 || !m.ok) {
    const int runs = best->runs;
    *best = m;
    best->runs = runs;
    return;
  }
  if (!best->ok) return;
  best->seconds = std::min(best->seconds, m.seconds);
  best->cpu = std::min(best->cpu, m.cpu);
  best->maxRssKb = std::max(best->maxRssKb, m.maxRssKb);
  best->ok = best->ok && m.rows == best->rows;
}

constexpr int kRuns = 3;

void SyncFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// The dialog's run without the dialog: the operation frame's steps around ExportRun.
long Export(const std::string& path, const std::string& statement, const std::string& out) {
  std::setlocale(LC_ALL, "");
  CoInitialize(nullptr);
  long rows = -1;
  try {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    conn->PutConnectionString("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    ExportRun run(TextFormat{",", true, true}, out, path);
    run.Run(conn, rs, statement);
    rows = run.RecordLines();
    rs->Close();
    conn->Close();
  } catch (const _com_error& e) {
    std::fprintf(stderr, "export failed: 0x%08X %s\n", static_cast<unsigned>(e.Error()),
                 e.ErrorMessage());
  }
  CoUninitialize();
  return rows;
}

struct MoneySum {
  uint64_t rows;
  std::string exact, statement;
  double seconds = 0;
};

std::string CurrencyText(const VARIANT& v) {
  std::string text;
  return VariantToText(v, &text) == S_OK ? text : "(none)";
}

// Sum(Price) through the engine, and the exact sum of what the reader decodes.
MoneySum SumOfPrices(const std::string& path, const std::string& table, uint64_t rows) {
  MoneySum m{rows, "", "", 0};
  try {
    auto file = jet::MdbFile::Open(path);
    std::vector<jet::ColumnDef> columns;
    std::string exact;
    file->FindTable(table, &exact, &columns);
    int price = 0;
    while (price < static_cast<int>(columns.size()) && columns[price].name != "Price") ++price;
    __int128 total = 0;
    for (auto scan = file->Scan(exact); scan->Next();) total += scan->Value(price).cyVal;
    VARIANT sum;
    sum.vt = VT_CY;
    sum.cyVal = static_cast<int64_t>(total);
    m.exact = CurrencyText(sum);
    auto db = jet::Database::Open(path);
    auto t0 = std::chrono::steady_clock::now();
    auto c = db->Execute("select Sum(Price) from [" + table + "]");
    m.statement = CurrencyText(c->Value(0));
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  } catch (const _com_error& e) {
    std::fprintf(stderr, "sum failed: 0x%08X\n", static_cast<unsigned>(e.Error()));
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint64_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {100000, 1000000};

  char tmpl[] = "/tmp/kelvane-bench-export-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path dir = tmpl;
  const std::string table = jetwriter::BigTables(1).front().name;
  int rc = 0;

  // Wall times are only as good as the machine is idle: say how busy it was.
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) {
    std::printf("load average %.1f on %ld processors at the start\n", load[0], sysconf(_SC_NPROCESSORS_ONLN));
  }
  std::printf("%9s  %8s %8s %11s  %8s %8s %11s  %6s %6s  %8s %9s  %7s\n", "rows", "scan s",
              "cpu s", "rows/s", "export s", "cpu s", "rows/s", "ratio", "cpu", "scan KB",
              "export KB", "file MB");
  struct Sorted {
    uint64_t rows;
    Measure plain, sorted;
  };
  std::vector<Sorted> sorted;
  struct Typed {
    uint64_t rows;
    Measure plain, typed;
  };
  std::vector<Typed> typed;
  std::vector<MoneySum> sums;
  for (uint64_t n : sizes) {
    const std::string db = (dir / ("big" + std::to_string(n) + ".mdb")).string();
    const std::string out = (dir / "out.txt").string();
    jetwriter::WriteBigFixture(db, n);
    // The fixture on disk and in the page cache before anything is measured, so
    // neither the scan nor the export pays for the other's writing or reading.
    SyncFile(db);
    InChild([&] { return LibmdbRowCount(db, table.c_str()); });
    Measure scan, exp, ordered, expressions;
    for (int run = 0; run < kRuns; ++run) {
      KeepBest(&scan, InChild([&] { return LibmdbRowCount(db, table.c_str()); }));
      KeepBest(&exp, InChild([&] { return Export(db, "select * from [" + table + "]", out); }));
    }
    if (!scan.ok || !exp.ok || scan.rows != exp.rows) {
      std::printf("%9llu  failed (scan %ld rows, export %ld rows)\n",
                  static_cast<unsigned long long>(n), scan.rows, exp.rows);
      rc = 1;
    } else {
      const bool holds = exp.seconds <= 3 * scan.seconds && exp.cpu <= 3 * scan.cpu && exp.maxRssKb < 64 * 1024;
      std::printf("%9llu  %8.3f %8.3f %11.0f  %8.3f %8.3f %11.0f  %5.1fx %5.1fx  %8ld %9ld  %7.1f  %s\n",
                  static_cast<unsigned long long>(n), scan.seconds, scan.cpu,
                  scan.rows / scan.seconds, exp.seconds, exp.cpu, exp.rows / exp.seconds,
                  exp.seconds / scan.seconds, exp.cpu / scan.cpu, scan.maxRssKb, exp.maxRssKb,
                  fs::file_size(out) / 1e6, holds ? "within 3x, under 64 MB" : "OUT OF BOUNDS");
    }
    std::fflush(stdout);
    for (int run = 0; run < kRuns; ++run) {
      KeepBest(&ordered, InChild([&] {
        return Export(db, "select * from [" + table + "] where Active order by Name", out);
      }));
      KeepBest(&expressions, InChild([&] {
        return Export(db, "select ID, Created + 1, Name & '!' from [" + table + "] where Active", out);
      }));
    }
    sums.push_back(SumOfPrices(db, table, n));
    sorted.push_back({n, exp, ordered});
    typed.push_back({n, exp, expressions});
    fs::remove(db);
    fs::remove(out);
  }

  std::printf("\nselect * from %s where Active order by Name, beside the plain export\n", table.c_str());
  std::printf("%9s  %8s %8s  %8s %8s  %6s %6s  %9s\n", "rows", "plain s", "cpu s", "sorted s", "cpu s",
              "ratio", "cpu", "sorted KB");
  for (const Sorted& s : sorted) {
    if (!s.plain.ok || !s.sorted.ok) {
      std::printf("%9llu  failed\n", static_cast<unsigned long long>(s.rows));
      rc = 1;
      continue;
    }
    const bool holds = s.sorted.seconds <= 3 * s.plain.seconds && s.sorted.cpu <= 3 * s.plain.cpu &&
                       s.sorted.maxRssKb < 64 * 1024;
    std::printf("%9llu  %8.3f %8.3f  %8.3f %8.3f  %5.1fx %5.1fx  %9ld  %s (%ld rows)\n",
                static_cast<unsigned long long>(s.rows), s.plain.seconds, s.plain.cpu, s.sorted.seconds,
                s.sorted.cpu, s.sorted.seconds / s.plain.seconds, s.sorted.cpu / s.plain.cpu,
                s.sorted.maxRssKb, holds ? "within 3x, under 64 MB" : "OUT OF BOUNDS", s.sorted.rows);
  }
  std::printf("\nselect ID, Created + 1, Name & '!' from %s where Active, beside the plain export\n", table.c_str());
  std::printf("%9s  %8s %8s  %8s %8s  %6s %6s\n", "rows", "plain s", "cpu s", "typed s", "cpu s", "ratio", "cpu");
  for (const Typed& t : typed) {
    if (!t.plain.ok || !t.typed.ok) {
      std::printf("%9llu  failed\n", static_cast<unsigned long long>(t.rows));
      rc = 1;
      continue;
    }
    const bool holds = t.typed.seconds <= 2 * t.plain.seconds && t.typed.cpu <= 2 * t.plain.cpu;
    std::printf("%9llu  %8.3f %8.3f  %8.3f %8.3f  %5.2fx %5.2fx  %s (%ld rows)\n",
                static_cast<unsigned long long>(t.rows), t.plain.seconds, t.plain.cpu, t.typed.seconds,
                t.typed.cpu, t.typed.seconds / t.plain.seconds, t.typed.cpu / t.plain.cpu,
                holds ? "within 2x" : "OUT OF BOUNDS", t.typed.rows);
  }
  std::printf("\nselect Sum(Price) from %s (Currency), beside the exact sum of the values read\n", table.c_str());
  std::printf("%9s  %20s %20s  %8s\n", "rows", "exact sum", "Sum(Price)", "s");
  for (const MoneySum& m : sums) {
    const bool equal = !m.exact.empty() && m.exact == m.statement;
    if (!equal) rc = 1;
    std::printf("%9llu  %20s %20s  %8.3f  %s\n", static_cast<unsigned long long>(m.rows), m.exact.c_str(),
                m.statement.c_str(), m.seconds, equal ? "exact" : "NOT EXACT");
  }
  fs::remove_all(dir);
  return rc;
}
