// A file made to hurt the reader costs no more than a healthy file of its size:
// the 2.8 MB file of 20,000 records whose memos are long-value chains looping back
// to their first row (each claiming 2,000,000 bytes), exported headless as
// "开始导出" does, beside the export of the same file with sound chains. The bound:
// the hostile export ends in 0x80004005 within 2x the healthy one's time and writes
// no more than the healthy one. A child that runs past 60 s is stopped and reported.
//
//   bench_hostile [rows]     default: 20000
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/ExportRun.h"
#include "support/JetWriter.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 0;
  unsigned code = 0;  // the export's HRESULT
  bool stopped = false;
  uintmax_t written = 0;
};

// Exports table Notes in a child, stopped after 60 s.
Measure TimedExport(const std::string& db, const std::string& out) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    alarm(60);
    CoInitialize(nullptr);
    HRESULT hr = S_OK;
    try {
      _ConnectionPtr conn;
      _RecordsetPtr rs;
      _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
      conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + db);
      conn->Open("", "", "", ADODB::adConnectUnspecified);
      _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
      ExportRun(TextFormat{",", true, true}, out, db).Run(conn, rs, "select * from Notes");
    } catch (const _com_error& e) {
      hr = e.Error();
    }
    const unsigned code = static_cast<unsigned>(hr);
    if (write(fds[1], &code, sizeof code) != sizeof code) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  Measure m;
  m.stopped = read(fds[0], &m.code, sizeof m.code) != sizeof m.code;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::error_code ec;
  m.written = fs::exists(out) ? fs::file_size(out, ec) : 0;
  fs::remove(out, ec);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
  char tmpl[] = "/tmp/kelvane-bench-hostile-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path dir = tmpl;
  const std::string hostile = (dir / "looping.mdb").string(), healthy = (dir / "healthy.mdb").string(),
                    out = (dir / "out.txt").string();
  jetwriter::WriteLoopingChainFile(hostile, rows);
  jetwriter::WriteLoopingChainFile(healthy, rows, false);

  TimedExport(healthy, out);  // both files in the page cache first
  const Measure sound = TimedExport(healthy, out), hurt = TimedExport(hostile, out);
  std::printf("%8s %9s  %10s %10s  %10s %10s  %6s\n", "rows", "file MB", "healthy s", "written MB", "hostile s",
              "written MB", "ratio");
  const bool holds = !hurt.stopped && hurt.code == 0x80004005u && hurt.seconds <= 2 * sound.seconds &&
                     hurt.written <= sound.written;
  std::printf("%8llu %9.1f  %10.3f %10.1f  %10.3f %10.1f  %5.2fx  %s (0x%08X)\n",
              static_cast<unsigned long long>(rows), fs::file_size(hostile) / 1e6, sound.seconds,
              sound.written / 1e6, hurt.seconds, hurt.written / 1e6, hurt.seconds / sound.seconds,
              hurt.stopped ? "STOPPED AFTER 60 s" : holds ? "within 2x, E_FAIL" : "OUT OF BOUNDS", hurt.code);
  fs::remove_all(dir);
  return holds ? 0 : 1;
}
