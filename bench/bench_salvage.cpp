// Salvage of an undamaged file beside the plain export of the same table: the export
// run of "开始导出" over the ADO layer, once with the file opened plainly and once in
// salvage mode (every row checked whole before it is given). Bound: 1.1x the plain
// export's wall and CPU time. Each kind runs three times, taking turns, and the
// fastest of each is compared: other work on the machine only ever adds time.
//
//   bench_salvage [rows]     default: 300000
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/ExportRun.h"
#include "platform/ado/DatabaseOpener.h"
#include "platform/jet/Provider.h"
#include "platform/jet/file/SalvageLog.h"
#include "support/JetWriter.h"

namespace {

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = 1e30, cpu = 1e30;
  long rows = -1;
};

void Export(const std::string& path, const std::string& out, bool salvage, Timing* best) {
  auto log = std::make_shared<jet::SalvageLog>();
  if (salvage) ado::SetSalvageLog(log);
  else ado::SetDatabaseOpener(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  CoInitialize(nullptr);
  try {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    conn->PutConnectionString("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    ExportRun run(TextFormat{",", true, true}, out, path);
    run.Run(conn, rs, "select * from [Big]");
    best->rows = run.RecordLines();
    rs->Close();
    conn->Close();
  } catch (const _com_error& e) {
    std::fprintf(stderr, "export failed: 0x%08X\n", static_cast<unsigned>(e.Error()));
  }
  CoUninitialize();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  best->wall = std::min(best->wall, wall);
  best->cpu = std::min(best->cpu, CpuSeconds() - cpu);
  if (!log->Empty()) std::fprintf(stderr, "salvage reported losses in an undamaged file\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 300000;
  const std::string dir = std::filesystem::temp_directory_path() / ("bench_salvage_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/big.mdb", out = dir + "/out.txt";
  jetwriter::WriteBigFixture(path, rows);
  Timing plain, salvage;
  for (int i = 0; i < 3; ++i) {
    Export(path, out, false, &plain);
    Export(path, out, true, &salvage);
  }
  std::filesystem::remove_all(dir);
  const double wallRatio = salvage.wall / plain.wall, cpuRatio = salvage.cpu / plain.cpu;
  std::printf("rows %llu: plain export %.3f s wall %.3f s CPU; salvage %.3f s wall %.3f s CPU; ratio %.3f wall %.3f CPU\n",
              static_cast<unsigned long long>(rows), plain.wall, plain.cpu, salvage.wall, salvage.cpu, wallRatio,
              cpuRatio);
  const bool ok = plain.rows == static_cast<long>(rows) && salvage.rows == plain.rows && wallRatio <= 1.1 &&
                  cpuRatio <= 1.1;
  std::printf("%s (bound 1.1x)\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
