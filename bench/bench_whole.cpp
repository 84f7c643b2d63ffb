// The whole database out of a file whose one table holds a million rows:
//   kelvane-export --sqlite out.db big.mdb      within 1.5x the time sqlite3's own
//                                               `.import` takes for the same rows as
//                                               CSV, peak memory at most 64 MB
//   kelvane-export --postgresql /dev/null big.mdb   within 1.2x `--csv` to /dev/null
// Each measurement runs three times, taking turns; the fastest wall time counts
// and the largest peak memory. Needs the sqlite3 shell.
//
//   bench_whole [rows]     default: 1000000
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

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 1e9;
  long maxRssKb = 0;
  bool ok = true;
};

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

int Run(std::vector<std::string> args, const char* out = nullptr) {
  if (out && !freopen(out, "w", stdout)) return 126;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  return 127;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::string cli = KELVANE_EXPORT_BIN;
  char tmpl[] = "/tmp/kelvane-bench-whole-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path dir = tmpl;
  const std::string big = (dir / "big.mdb").string(), csv = (dir / "big.csv").string();
  const std::string db = (dir / "out.db").string(), imported = (dir / "import.db").string();
  const std::string table = jetwriter::BigTables(1).front().name;
  jetwriter::WriteBigFixture(big, rows);
  Measure made;
  Child(&made, [&] { return Run({cli, "--csv", "--eol", "lf", "-e", "UTF-8", "-o", csv, big, table}); });
  if (!made.ok) return 1;

  Measure import, sqlite, csvOut, script;
  for (int run = 0; run < 3; ++run) {
    fs::remove(imported);
    Child(&import, [&] { return Run({"sqlite3", imported, ".import --csv " + csv + " \"" + table + "\""}); });
    Child(&sqlite, [&] { return Run({cli, "--quiet", "--sqlite", db, big}); });
    Child(&csvOut, [&] { return Run({cli, "--quiet", "--csv", "-o", "/dev/null", big, table}); });
    Child(&script, [&] { return Run({cli, "--quiet", "--postgresql", "/dev/null", big}); });
  }
  const double sqliteRatio = sqlite.seconds / import.seconds, scriptRatio = script.seconds / csvOut.seconds;
  const bool sqliteHolds = sqlite.ok && sqliteRatio <= 1.5 && sqlite.maxRssKb <= 64 * 1024;
  const bool scriptHolds = script.ok && scriptRatio <= 1.2 && script.maxRssKb <= 64 * 1024;
  std::printf("the whole database of big.mdb (%llu rows)\n", static_cast<unsigned long long>(rows));
  std::printf("  sqlite3 .import of its CSV %.3f s; --sqlite %.3f s: %.2fx, peak %ld KB  %s\n", import.seconds,
              sqlite.seconds, sqliteRatio, sqlite.maxRssKb,
              !sqlite.ok || !import.ok ? "FAILED" : sqliteHolds ? "within 1.5x, at most 64 MB" : "OUT OF BOUNDS");
  std::printf("  --csv to /dev/null %.3f s; --postgresql %.3f s: %.2fx, peak %ld KB  %s\n", csvOut.seconds,
              script.seconds, scriptRatio, script.maxRssKb,
              !script.ok || !csvOut.ok ? "FAILED" : scriptHolds ? "within 1.2x, at most 64 MB" : "OUT OF BOUNDS");
  if (std::getenv("KELVANE_BENCH_KEEP")) std::printf("kept %s\n", dir.c_str());
  else fs::remove_all(dir);
  return sqliteHolds && scriptHolds ? 0 : 1;
}
