// bench_protected [rows]: the cost of protected files. First the open of the real
// agile files (100,000 rounds of SHA-512 before the first page), beside the open
// of a plain .accdb of the same size. Then, on the 1,000,000-row "Big" fixture, the
// plain MdbFile scan beside the decryption of every page of the same file by each
// scheme's page cipher (keys from the real protected files): the scan of an
// encrypted copy costs the plain scan plus that decryption. Last, the export of
// the table ("开始导出"'s run, headless) from the plain .accdb and from an agile
// copy of it (the writer's, 100,000 rounds), each in a child process of its own,
// the fastest of three: time and peak memory side by side.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "platform/ado/Ado.h"
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Pager.h"
#include "platform/jet/file/Protection.h"
#include "support/AgileEncrypt.h"
#include "support/JetWriter.h"

namespace {

const std::string kData = KELVANE_TESTDATA;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double MedianOpen(const std::string& path, const char* password, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    jet::MdbFile::Open(path, password);
    times.push_back(Seconds(t0));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

long Scan(const std::string& path) {
  auto file = jet::MdbFile::Open(path);
  std::vector<jet::ColumnDef> cols;
  std::string exact;
  if (!file->FindTable("Big", &exact, &cols)) return -1;
  auto s = file->Scan(exact);
  long rows = 0;
  while (s->Next()) {
    for (size_t c = 0; c < cols.size(); ++c) s->Value(static_cast<int>(c));
    ++rows;
  }
  return rows;
}

// The page cipher of a real protected file, opened with its password.
std::unique_ptr<jet::PageCipher> CipherOf(const std::string& file, const char* password) {
  std::ifstream in(kData + "/" + file, std::ios::binary);
  std::vector<uint8_t> head(4096);
  in.read(reinterpret_cast<char*>(head.data()), 4096);
  static const uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  jet::Rc4(kHeaderKey, 4, head.data() + 0x18, 128);
  return jet::ReadOfficeEncryption(head.data(), head.size())->Unlock(password, jet::Get32(head.data() + 0x3E));
}

bool InChild(const std::function<bool()>& work, double* seconds = nullptr, long* peakKb = nullptr) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) _exit(work() ? 0 : 1);
  int status = 0;
  rusage ru{};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) return false;
  if (seconds) *seconds = Seconds(t0);
  if (peakKb) *peakKb = ru.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Export(const std::string& path, const std::string& password, const std::string& out) {
  CoInitialize(nullptr);
  bool ok = false;
  try {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    conn->Open("Provider=MIcrosoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=" + password + ";Data source=" + path,
               "", "", ADODB::adConnectUnspecified);
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    ExportRun run(TextFormat{",", true, true}, out, path);
    run.Run(conn, rs, "select * from Big");
    ok = run.RecordLines() > 0;
    rs->Close();
    conn->Close();
  } catch (const _com_error& e) {
    std::fprintf(stderr, "export failed: 0x%08X\n", static_cast<unsigned>(e.Error()));
  }
  CoUninitialize();
  return ok;
}

void ExportPlainAndAgile(uint64_t rows) {
  const std::string plain = "/tmp/kelvane_bench_protected_" + std::to_string(getpid()) + ".accdb";
  const std::string agile = plain + ".agile.accdb", out = plain + ".txt";
  if (!InChild([&] { jetwriter::WriteBigFixture(plain, rows, jetwriter::kAce2016); return true; }) ||
      !InChild([&] {
        jetwriter::WriteBigFixture(agile, rows, jetwriter::kAce2016);
        jetwriter::EncryptAgile(agile, "password");
        return true;
      })) {
    std::fprintf(stderr, "bench_protected: cannot write the .accdb copies\n");
    return;
  }
  double best[2] = {1e9, 1e9};
  long peak[2] = {0, 0};
  for (int run = 0; run < 3; ++run) {
    for (int k = 0; k < 2; ++k) {
      double sec = 0;
      long kb = 0;
      if (!InChild([&] { return Export(k ? agile : plain, k ? "password" : "", out); }, &sec, &kb)) {
        std::fprintf(stderr, "bench_protected: the export failed\n");
        break;
      }
      best[k] = std::min(best[k], sec);
      peak[k] = std::max(peak[k], kb);
    }
  }
  std::printf("  export of Big, plain .accdb:  %.3f s, peak %.1f MB\n", best[0], peak[0] / 1024.0);
  std::printf("  export of Big, agile copy:    %.3f s, peak %.1f MB: %.2fx the plain (target 1.3x)\n", best[1],
              peak[1] / 1024.0, best[1] / best[0]);
  for (const std::string& f : {plain, agile, out}) unlink(f.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  try {
    std::printf("bench_protected: open, median of 7\n");
    const double plain = MedianOpen(kData + "/V2007_test.accdb", "", 7);
    std::printf("  plain V2007_test.accdb:              %.2f ms\n", plain * 1000);
    for (auto [file, password] : {std::pair{"V2010_with-password.accdb", "password"},
                                  std::pair{"protected/db2013-enc.accdb", "1234"}})
      std::printf("  agile %-30s %.2f ms (target 200 ms)\n", file, 1000 * MedianOpen(kData + "/" + file, password, 7));

    const std::string path = "/tmp/kelvane_bench_protected_" + std::to_string(getpid()) + ".mdb";
    const pid_t pid = fork();
    if (pid == 0) {
      try {
        jetwriter::WriteBigFixture(path, rows, jetwriter::kJet4);
        _exit(0);
      } catch (...) {
        _exit(1);
      }
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "bench_protected: cannot write %s\n", path.c_str());
      return 1;
    }
    Scan(path);  // the file into the page cache
    auto t0 = std::chrono::steady_clock::now();
    const long scanned = Scan(path);
    const double scanSec = Seconds(t0);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    unlink(path.c_str());
    const size_t pages = bytes.size() / 4096;
    std::printf("  plain scan of Big: %ld rows, %zu pages in %.3f s\n", scanned, pages, scanSec);
    struct Scheme { const char* name; std::unique_ptr<jet::PageCipher> cipher; };
    Scheme schemes[] = {{"agile AES-256-CBC, SHA-512 IVs", CipherOf("V2010_with-password.accdb", "password")},
                        {"RC4 CryptoAPI", CipherOf("protected/db2007-oldenc.accdb", "Test123")},
                        {"AES-256-ECB (key per page)", CipherOf("protected/db-nonstandard.accdb", "password")},
                        {"Jet RC4 page encoding", jet::JetRc4Pages(0x5a17c3e1)}};
    for (Scheme& s : schemes) {
      t0 = std::chrono::steady_clock::now();
      for (size_t p = 1; p < pages; ++p) s.cipher->Decrypt(static_cast<uint32_t>(p), bytes.data() + 4096 * p, 4096);
      const double sec = Seconds(t0);
      std::printf("  %-32s %.3f s for every page: scan of an encrypted copy ~%.2fx the plain (target 1.3x)\n",
                  s.name, sec, (scanSec + sec) / scanSec);
    }
    ExportPlainAndAgile(rows);
  } catch (const _com_error& e) {
    std::fprintf(stderr, "bench_protected: error 0x%08X %s\n", static_cast<unsigned>(e.Error()), e.Description().c_str());
    return 1;
  }
  return 0;
}
