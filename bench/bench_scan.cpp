// bench_scan [rows]: writes the "Big" fixture (in a child process, so that its memory
// is not counted here), then scans it once through libmdb with nothing bound (the
// floor), once through MdbFile decoding every value, and once through the ADO layer
// (Connection, Recordset over "select * from big", every Field.Value read), as the
// preview and the export read it; reports rows per second and the peak resident
// memory of this process. Then writes the same table as an .accdb (Access 2016) and
// scans it through MdbFile too, beside the .mdb: the two should cost the same.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ado/Ado.h"
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "support/JetWriter.h"
#include "support/LibmdbScan.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

bool WriteFixture(const std::string& path, uint64_t rows, jetwriter::FileFormat format) {
  const pid_t pid = fork();
  if (pid == 0) {
    try {
      jetwriter::WriteBigFixture(path, rows, format);
      _exit(0);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

long ReaderScan(const std::string& path, const char* table) {
  auto file = jet::MdbFile::Open(path);
  std::vector<jet::ColumnDef> cols;
  std::string exact;
  if (!file->FindTable(table, &exact, &cols)) return -1;
  auto s = file->Scan(exact);
  long rows = 0;
  size_t bytes = 0;  // keeps the decoding from being optimised away
  while (s->Next()) {
    for (size_t c = 0; c < cols.size(); ++c) bytes += s->Value(static_cast<int>(c)).bstrVal.size();
    ++rows;
  }
  if (bytes == 0) std::fprintf(stderr, "no text decoded\n");
  return rows;
}

long AdoScan(const std::string& path) {
  CoInitialize(nullptr);
  long rows = 0;
  {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    rs->Open("select * from big", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    FieldsPtr fields = rs->GetFields();
    const long n = fields->GetCount();
    size_t bytes = 0;
    while (!rs->GetadoEOF()) {
      for (long c = 0; c < n; ++c) bytes += fields->GetItem(c)->GetValue().bstrVal.size();
      ++rows;
      rs->MoveNext();
    }
    if (bytes == 0) std::fprintf(stderr, "no text read\n");
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::string path = "/tmp/kelvane_bench_scan_" + std::to_string(getpid()) + ".mdb";
  const std::string accdb = "/tmp/kelvane_bench_scan_" + std::to_string(getpid()) + ".accdb";
  if (!WriteFixture(path, rows, jetwriter::kJet4) || !WriteFixture(accdb, rows, jetwriter::kAce2016)) {
    std::fprintf(stderr, "bench_scan: cannot write the fixtures %s, %s\n", path.c_str(), accdb.c_str());
    unlink(path.c_str());
    unlink(accdb.c_str());
    return 1;
  }
  try {
    // MdbFile first, so that the peak memory is the reader's alone.
    auto t0 = std::chrono::steady_clock::now();
    const long ours = ReaderScan(path, "Big");
    const double oursSec = Seconds(t0);
    const long oursPeak = PeakKb();
    t0 = std::chrono::steady_clock::now();
    const long floor = LibmdbRowCount(path, "Big");
    const double floorSec = Seconds(t0);
    t0 = std::chrono::steady_clock::now();
    const long ado = AdoScan(path);
    const double adoSec = Seconds(t0);
    const long adoPeak = PeakKb();
    std::printf("bench_scan: %llu rows, file %s\n", static_cast<unsigned long long>(rows), path.c_str());
    std::printf("  libmdb mdb_fetch_row, nothing bound: %ld rows in %.3f s = %.0f rows/s\n", floor,
                floorSec, floor / floorSec);
    std::printf("  MdbFile scan, every value decoded:  %ld rows in %.3f s = %.0f rows/s (%.2fx the floor)\n",
                ours, oursSec, ours / oursSec, oursSec / floorSec);
    std::printf("  ADO Recordset, every Field.Value:    %ld rows in %.3f s = %.0f rows/s (%.2fx the floor)\n",
                ado, adoSec, ado / adoSec, adoSec / floorSec);
    std::printf("  peak memory after the MdbFile scan: %.1f MB; after the ADO scan: %.1f MB\n",
                oursPeak / 1024.0, adoPeak / 1024.0);
    // The same table in an .accdb, the .mdb scanned again right before it so that
    // both run with the same caches.
    t0 = std::chrono::steady_clock::now();
    const long mdbAgain = ReaderScan(path, "Big");
    const double mdbSec = Seconds(t0);
    t0 = std::chrono::steady_clock::now();
    const long ace = ReaderScan(accdb, "Big");
    const double aceSec = Seconds(t0);
    std::printf("  MdbFile scan of the .mdb, again:      %ld rows in %.3f s = %.0f rows/s\n", mdbAgain, mdbSec,
                mdbAgain / mdbSec);
    std::printf("  MdbFile scan of the same .accdb:      %ld rows in %.3f s = %.0f rows/s (%.2fx the .mdb)\n",
                ace, aceSec, ace / aceSec, aceSec / mdbSec);
  } catch (const _com_error& e) {
    std::fprintf(stderr, "bench_scan: error 0x%08X\n", static_cast<unsigned>(e.Error()));
    unlink(path.c_str());
    unlink(accdb.c_str());
    return 1;
  }
  unlink(path.c_str());
  unlink(accdb.c_str());
  return 0;
}
