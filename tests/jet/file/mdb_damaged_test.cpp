// Files that are not what they claim: every one must end in E_FAIL (or, for a
// password, JET_E_PASSWORD), never in a crash or a hang.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "support/JetWriter.h"

namespace {

const std::string kData = KELVANE_TESTDATA;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/mdb_damaged_XXXXXX";
    m_path = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ignored;  // a folder left in /tmp fails no test
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = m_path + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

// Reads everything a user could ask for: the catalog, every table's columns and
// every value of every row. Returns the error code, or S_OK when all of it read.
HRESULT ReadEverything(const std::string& path) {
  try {
    auto file = jet::MdbFile::Open(path);
    for (const jet::CatalogEntry& e : file->Catalog()) {
      if (e.type == jet::ObjectType::View) file->SavedQuerySql(e.name);
      std::string exact;
      std::vector<jet::ColumnDef> cols;
      if (!file->FindTable(e.name, &exact, &cols)) continue;
      auto rows = file->Scan(exact);
      while (rows->Next())
        for (size_t c = 0; c < cols.size(); ++c) rows->Value(static_cast<int>(c));
    }
    return S_OK;
  } catch (const _com_error& e) {
    return e.Error();
  }
}

// Exports every user table as "开始导出" does; the first failure's code, else S_OK.
// *kept: the records the failed export left in its file.
HRESULT ExportEveryTable(const std::string& path, const std::string& target, long* kept = nullptr,
                         const std::string& select = "select *") {
  CoInitialize(nullptr);
  HRESULT hr = S_OK;
  try {
    _ConnectionPtr conn;
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    const auto file = jet::MdbFile::Open(path);  // held: the loop reads its catalog
    for (const jet::CatalogEntry& e : file->Catalog()) {
      if (e.type != jet::ObjectType::Table) continue;
      _RecordsetPtr rs;
      _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
      ExportRun run(TextFormat{",", true, true}, target, path);
      if (kept) *kept = 0;
      try {
        run.Run(conn, rs, select + " from [" + e.name + "]");
      } catch (const _com_error&) {
        if (kept) *kept = run.RecordLines();
        throw;
      }
    }
  } catch (const _com_error& e) {
    hr = e.Error();
  }
  CoUninitialize();
  return hr;
}

HRESULT OpenError(const std::string& path) {
  try {
    jet::MdbFile::Open(path);
    return S_OK;
  } catch (const _com_error& e) {
    return e.Error();
  }
}

TEST(MdbDamaged, NotAFileAtAll) {
  TempDir dir;
  EXPECT_EQ(OpenError(""), E_FAIL);
  EXPECT_EQ(OpenError(dir.Path() + "/missing.mdb"), E_FAIL);
  EXPECT_EQ(OpenError(dir.Path()), E_FAIL);  // a directory
  EXPECT_EQ(OpenError(dir.Write("zero.mdb", {})), E_FAIL);
  std::mt19937 rng(7);
  std::vector<uint8_t> noise(64 * 1024);
  for (auto& b : noise) b = static_cast<uint8_t>(rng());
  EXPECT_EQ(OpenError(dir.Write("noise.mdb", noise)), E_FAIL);
  // The right magic over noise.
  std::vector<uint8_t> jet = ReadAll(kData + "/V2000_empty.mdb");
  if (jet.size() < 0x100) GTEST_SKIP() << "no V2000_empty.mdb in " << kData;
  std::copy(jet.begin(), jet.begin() + 0x100, noise.begin());
  EXPECT_EQ(ReadEverything(dir.Write("magic_noise.mdb", noise)), E_FAIL);
}

TEST(MdbDamaged, TruncatedFiles) {
  TempDir dir;
  // Our writer's .accdb adds the hidden tables of complex columns and calculated values.
  const std::string accdb = dir.Path() + "/NewTypes.accdb";
  jetwriter::WriteAccdbFixture(accdb);
  for (const std::string& name : {kData + "/V2000_test.mdb", kData + "/nwind.mdb", kData + "/V1997_test.mdb", accdb}) {
    const std::vector<uint8_t> whole = ReadAll(name);
    ASSERT_FALSE(whole.empty()) << name;
    for (size_t cut : {size_t{10}, size_t{2047}, size_t{4096}, size_t{3 * 4096 + 17},
                       whole.size() / 7, whole.size() / 2, whole.size() - 4096}) {
      std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
      const HRESULT hr = ReadEverything(dir.Write("cut.mdb", part));
      EXPECT_TRUE(hr == E_FAIL || hr == S_OK) << name << " cut at " << cut << ": " << std::hex << hr;
    }
  }
}

TEST(MdbDamaged, CatalogThatLoopsLibmdb) {
  EXPECT_EQ(ReadEverything(kData + "/damaged/truncated-catalog-loop.mdb"), E_FAIL);
}

// A header whose password area, once unmasked, is not empty.
TEST(MdbDamaged, PasswordIsReported) {
  TempDir dir;
  for (const char* name : {"V2000_empty.mdb", "V1997_test.mdb"}) {
    std::vector<uint8_t> bytes = ReadAll(kData + "/" + name);
    if (bytes.size() < 0x100) GTEST_SKIP() << "no " << name << " in " << kData;
    bytes[0x42] ^= 0x5A;  // the masked area now starts with a password character
    EXPECT_EQ(OpenError(dir.Write("password.mdb", bytes)), JET_E_PASSWORD) << name;
  }
}

// A Jet 4 database password the writer sets is refused as a password. A version
// byte that names another layout is damage, never a password.
TEST(MdbDamaged, PasswordOnlyOnAHeaderOfItsVersion) {
  TempDir dir;
  const std::string path = dir.Path() + "/password.mdb";
  jetwriter::WriteJet4(path, jetwriter::BigTables(3), {}, jetwriter::FileFormat{1, 0, "secret"});
  EXPECT_EQ(OpenError(path), JET_E_PASSWORD);
  for (const char* name : {"V1997_test.mdb", "nwind.mdb", "V2000_test.mdb"}) {
    std::vector<uint8_t> bytes = ReadAll(kData + "/" + name);
    if (bytes.empty()) continue;
    bytes[0x14] ^= 1;  // Jet 3 <-> Jet 4
    EXPECT_EQ(OpenError(dir.Write("flipped.mdb", bytes)), E_FAIL) << name;
  }
}

// The writer's files made to hurt a reader, each reported as damaged when read and
// when exported (never as a missing table or a syntax error of a statement built from
// a damaged name, never as a shorter table). Where the damage lies past the table's
// first page, the export keeps the rows before it. The looping chains of 20,000
// records would otherwise read 40 GB.
TEST(MdbDamaged, HostileFilesAreDamage) {
  TempDir dir;
  std::vector<jetwriter::HostileFile> files = jetwriter::WriteHostileFiles(dir.Path());
  files.push_back({"20,000 looping chains", dir.Path() + "/looping.mdb"});
  jetwriter::WriteLoopingChainFile(files.back().path);
  for (const jetwriter::HostileFile& f : files) {
    EXPECT_EQ(ReadEverything(f.path), E_FAIL) << f.family;
    long kept = 0;
    EXPECT_EQ(ExportEveryTable(f.path, dir.Path() + "/out.txt", &kept), E_FAIL) << f.family;
    if (f.rowsBeforeDamage) {
      EXPECT_GT(kept, 0) << f.family;
      EXPECT_LT(kept, 600) << f.family;  // the damaged table's records, all of them
      // A run that stops before the damage has nothing to report.
      EXPECT_EQ(ExportEveryTable(f.path, dir.Path() + "/out.txt", nullptr, "select top 4 *"), S_OK) << f.family;
    }
  }
}

TEST(MdbDamaged, PathWithSpacesAndChinese) {
  TempDir dir;
  const std::string sub = dir.Path() + "/数据 文件夹";
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  const std::string path = sub + "/罗斯文 示例.mdb";
  {
    std::ofstream out(path, std::ios::binary);
    const std::vector<uint8_t> b = ReadAll(kData + "/nwind.mdb");
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  EXPECT_EQ(ReadEverything(path), S_OK);
}

// Copies of the real files with bytes changed at random (a fixed seed, so a failure
// repeats). Most changes land in the pages that are read: the header, the catalog,
// and the first pages where the small files keep everything.
TEST(MdbDamaged, FlippedBytesNeverCrashOrHang) {
  TempDir dir;
  std::mt19937 rng(20261207);
  // Our writer's files add Jet 4 long-value chains over several pages, pages under
  // Jet's scrambling, and an .accdb's new types and hidden tables.
  const std::string fixture = dir.Path() + "/AllTypes.mdb", scrambled = dir.Path() + "/Scrambled.mdb",
                    accdb = dir.Path() + "/NewTypes.accdb";
  jetwriter::WriteAllTypesFixture(fixture);
  jetwriter::WriteJet4(scrambled, jetwriter::AllTypesTables(), {}, jetwriter::FileFormat{1, 0x6B39DAC7});
  jetwriter::WriteAccdbFixture(accdb);
  struct Source { std::string path; int copies; };
  const Source sources[] = {{kData + "/V1997_test.mdb", 100}, {kData + "/V2000_empty.mdb", 60},
                            {kData + "/V2000_test.mdb", 50},  {kData + "/nwind.mdb", 50},
                            {fixture, 80}, {scrambled, 40}, {accdb, 150}};
  int failed = 0, read = 0;
  for (const Source& s : sources) {
    const std::vector<uint8_t> original = ReadAll(s.path);
    ASSERT_FALSE(original.empty());
    for (int copy = 0; copy < s.copies; ++copy) {
      std::vector<uint8_t> bytes = original;
      const int flips = 1 + static_cast<int>(rng() % 24);
      const size_t hot = std::min<size_t>(bytes.size(), 64 * 4096);
      for (int i = 0; i < flips; ++i) {
        const size_t at = (rng() % 4 == 0) ? rng() % bytes.size() : rng() % hot;
        bytes[at] ^= static_cast<uint8_t>(1 + rng() % 255);
      }
      const HRESULT hr = ReadEverything(dir.Write("flipped.mdb", bytes));
      EXPECT_TRUE(hr == S_OK || hr == E_FAIL || hr == JET_E_PASSWORD)
          << s.path << " copy " << copy << ": " << std::hex << hr;
      (hr == S_OK ? read : failed)++;
    }
  }
  // Both outcomes must occur, or the damage never reached anything read.
  EXPECT_GT(failed, 0);
  EXPECT_GT(read, 0);
}

}  // namespace
