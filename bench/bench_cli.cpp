// kelvane-export as a user runs it, a process of its own, beside the reader's
// floor (the plain libmdb scan of the same table, nothing bound):
//   kelvane-export big.mdb Big -o /dev/null   on a million rows: within 1.5x the
//                                              floor's wall time, peak memory under 32 MB
//   kelvane-export --csv / --json big.mdb Big   within 2x the default format's wall time
//   kelvane-export --all DIR small.mdb         over 200 small tables: under 1 s
// Each measurement runs three times, taking turns; the fastest wall time counts
// (a busy machine only ever adds time) and the largest peak memory.
//
//   bench_cli [rows]     default: 1000000
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/JetWriter.h"
#include "support/LibmdbScan.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 1e9;
  long maxRssKb = 0;
  bool ok = true;
};

// Runs f in a child process (exec or work of its own, its status the result) and
// folds its wall time and peak memory into *m.
void Child(Measure* m, const std::function<int()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) _exit(f());
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  m->seconds = std::min(m->seconds, s);
  m->maxRssKb = std::max(m->maxRssKb, ru.ru_maxrss);
  m->ok = m->ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  return 127;
}

// 200 tables of 40 rows each, of the common column types.
void WriteSmallTables(const std::string& path) {
  using T = jet::AccessType;
  std::vector<jetwriter::Table> tables;
  for (int i = 0; i < 200; ++i) {
    jetwriter::Table t;
    char name[32];
    std::snprintf(name, sizeof name, "Table %03d", i);
    t.name = name;
    t.columns = {{"Id", T::LongInteger}, {"Name", T::Text, 50}, {"Amount", T::Double}, {"Created", T::DateTime}};
    t.rowCount = 40;
    t.row = [](uint64_t r, std::vector<VARIANT>& v) {
      v[0] = VARIANT::I4(int32_t(r + 1));
      v[1] = VARIANT::Str("名称 " + std::to_string(r));
      v[2] = VARIANT::R8(double(r) * 2.5);
      v[3] = jetwriter::Date(45000.0 + double(r));
    };
    tables.push_back(std::move(t));
  }
  jetwriter::WriteJet4(path, tables, {});
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::string cli = KELVANE_EXPORT_BIN;
  char tmpl[] = "/tmp/kelvane-bench-cli-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path dir = tmpl;
  const std::string big = (dir / "big.mdb").string(), small = (dir / "small.mdb").string();
  const std::string table = jetwriter::BigTables(1).front().name;
  jetwriter::WriteBigFixture(big, rows);
  WriteSmallTables(small);
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) std::printf("load average %.1f at the start\n", load[0]);

  Measure scan, one, csv, json, all;
  Child(&scan, [&] { return LibmdbRowCount(big, table) == long(rows) ? 0 : 1; });  // into the page cache
  scan = Measure();
  for (int run = 0; run < 3; ++run) {
    Child(&scan, [&] { return LibmdbRowCount(big, table) == long(rows) ? 0 : 1; });
    Child(&one, [&] { return Run({cli, big, table, "-o", "/dev/null"}); });
    Child(&csv, [&] { return Run({cli, "--csv", big, table, "-o", "/dev/null"}); });
    Child(&json, [&] { return Run({cli, "--json", big, table, "-o", "/dev/null"}); });
    Child(&all, [&] {
      const int null = open("/dev/null", O_WRONLY);  // the manifest lines
      if (null >= 0) dup2(null, STDOUT_FILENO);
      return Run({cli, "--all", (dir / "all").string(), small});
    });
  }
  int rc = 0;
  const double ratio = one.seconds / scan.seconds;
  const bool oneHolds = one.ok && ratio <= 1.5 && one.maxRssKb < 32 * 1024;
  std::printf("%s %s %s -o /dev/null (%llu rows)\n", fs::path(cli).filename().c_str(), "big.mdb", table.c_str(),
              static_cast<unsigned long long>(rows));
  std::printf("  libmdb scan %.3f s, kelvane-export %.3f s: %.2fx the floor, peak %ld KB  %s\n", scan.seconds,
              one.seconds, ratio, one.maxRssKb,
              !one.ok ? "FAILED" : oneHolds ? "within 1.5x, under 32 MB" : "OUT OF BOUNDS");
  bool formatsHold = true;
  for (const auto& [name, m] : {std::pair<const char*, const Measure*>{"--csv", &csv}, {"--json", &json}}) {
    const double r = m->seconds / one.seconds;
    const bool holds = m->ok && r <= 2.0;
    formatsHold = formatsHold && holds;
    std::printf("  %-6s %.3f s: %.2fx the default format, peak %ld KB  %s\n", name, m->seconds, r, m->maxRssKb,
                !m->ok ? "FAILED" : holds ? "within 2x" : "OUT OF BOUNDS");
  }
  const size_t files = all.ok ? static_cast<size_t>(std::distance(fs::directory_iterator(dir / "all"), {})) : 0;
  const bool allHolds = all.ok && files == 200 && all.seconds < 1.0;
  std::printf("kelvane-export --all over 200 tables of 40 rows\n");
  std::printf("  %.3f s for %zu files, peak %ld KB  %s\n", all.seconds, files, all.maxRssKb,
              !all.ok ? "FAILED" : allHolds ? "under 1 s" : "OUT OF BOUNDS");
  if (!oneHolds || !allHolds || !formatsHold) rc = 1;
  if (std::getenv("KELVANE_BENCH_KEEP")) std::printf("kept %s\n", dir.c_str());
  else fs::remove_all(dir);
  return rc;
}
