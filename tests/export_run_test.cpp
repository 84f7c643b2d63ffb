// The export run over a recordset held in memory: what lands in the file, byte for
// byte, and how far a failure gets.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "export/ExportRun.h"
#include "platform/com/Errno.h"

namespace fs = std::filesystem;

namespace {

using Row = std::vector<VARIANT>;

VARIANT Binary() {
  VARIANT v;
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = {0x15, 0x1C, 0x00};
  return v;
}

// A recordset over rows in memory, standing on the first row once opened.
class MemoryRecordset : public ADODB::_Recordset {
 public:
  MemoryRecordset(std::vector<std::string> names, std::vector<Row> rows)
      : m_names(std::move(names)), m_rows(std::move(rows)) {}
  HRESULT openFailure = S_OK;
  std::string source;

  void Open(const std::string& s, const _ConnectionPtr&, ADODB::CursorTypeEnum,
            ADODB::LockTypeEnum, long) override {
    if (FAILED(openFailure)) throw _com_error(openFailure);
    source = s;
    m_pos = 0;
  }
  bool GetadoEOF() override { return m_pos >= m_rows.size(); }
  void MoveNext() override { ++m_pos; }
  VARIANT GetCollect(const std::string&) override { throw _com_error(E_FAIL); }
  FieldsPtr GetFields() override;
  void Close() override {}

  const std::string& Name(long i) const { return m_names.at(i); }
  VARIANT Value(long i) const { return m_rows.at(m_pos).at(i); }
  long Count() const { return static_cast<long>(m_names.size()); }

 private:
  std::vector<std::string> m_names;
  std::vector<Row> m_rows;
  size_t m_pos = 0;
};

class MemoryField : public ADODB::Field {
 public:
  MemoryField(MemoryRecordset* rs, long i) : m_rs(rs), m_i(i) {}
  std::string GetName() override { return m_rs->Name(m_i); }
  VARIANT GetValue() override { return m_rs->Value(m_i); }
 private:
  MemoryRecordset* m_rs;
  long m_i;
};

class MemoryFields : public ADODB::Fields {
 public:
  explicit MemoryFields(MemoryRecordset* rs) : m_rs(rs) {}
  long GetCount() override { return m_rs->Count(); }
  FieldPtr GetItem(long i) override { return FieldPtr(std::make_shared<MemoryField>(m_rs, i)); }
 private:
  MemoryRecordset* m_rs;
};

FieldsPtr MemoryRecordset::GetFields() { return FieldsPtr(std::make_shared<MemoryFields>(this)); }

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kelvane-run-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    target = dir / "out.txt";
  }
  void TearDown() override {
    fs::remove_all(dir);
  }

  // Runs the export; returns the failure's code (S_OK on success).
  HRESULT Export(std::vector<std::string> names, std::vector<Row> rows, TextFormat fmt,
                 HRESULT openFailure = S_OK) {
    auto mem = std::make_shared<MemoryRecordset>(std::move(names), std::move(rows));
    mem->openFailure = openFailure;
    _RecordsetPtr rs(mem);
    run = std::make_unique<ExportRun>(fmt, target.string(), (dir / "src.mdb").string());
    try {
      run->Run(_ConnectionPtr(), rs, "select * from t");
    } catch (const _com_error& e) {
      return e.Error();
    }
    return S_OK;
  }

  fs::path dir, target;
  std::unique_ptr<ExportRun> run;
};

const std::vector<std::string> kColumns = {"id", "name", "note"};
std::vector<Row> WorkedRows() {
  return {{VARIANT::I4(1), VARIANT::Str("pen"), VARIANT::Null()},
          {VARIANT::I4(2), VARIANT::Str("ink"), VARIANT::Str("say \"hi\"")}};
}

}  // namespace

TEST_F(ExportRunTest, WorkedExampleCommaQuotedWithHeader) {
  ASSERT_EQ(Export(kColumns, WorkedRows(), {",", true, true}), S_OK);
  EXPECT_EQ(ReadAll(target),
            "\"id\",\"name\",\"note\"\r\n\"1\",\"pen\",\"\"\r\n\"2\",\"ink\",\"say \"hi\"\"\r\n");
  EXPECT_EQ(run->RecordLines(), 2);
}

TEST_F(ExportRunTest, WorkedExampleTabBareWithoutHeader) {
  ASSERT_EQ(Export(kColumns, WorkedRows(), {"\t", false, false}), S_OK);
  EXPECT_EQ(ReadAll(target), "1\tpen\t\r\n2\tink\tsay \"hi\"\r\n");
}

TEST_F(ExportRunTest, EmptySourceLeavesHeaderOnlyOrAnEmptiedFile) {
  std::ofstream(target) << "old lines\r\n";
  ASSERT_EQ(Export(kColumns, {}, {" | ", false, true}), S_OK);
  EXPECT_EQ(ReadAll(target), "id | name | note\r\n");
  ASSERT_EQ(Export(kColumns, {}, {",", false, false}), S_OK);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(ExportRunTest, SingleColumnSkipsEmptyRecordsAndDoesNotCountThem) {
  std::vector<Row> rows = {{VARIANT::Str("a")}, {VARIANT::Null()}, {VARIANT::Str("")},
                           {VARIANT::Str("b")}, {Binary()}};
  EXPECT_EQ(Export({"v"}, rows, {",", false, false}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(ReadAll(target), "a\r\nb\r\n");
  EXPECT_EQ(run->RecordLines() + 1, 3);  // the box names record 3, not 5
}

TEST_F(ExportRunTest, FailureOnThirdRecordKeepsTheLinesBefore) {
  std::vector<Row> rows = WorkedRows();
  rows.push_back({VARIANT::I4(3), VARIANT::Str("box"), Binary()});
  rows.push_back({VARIANT::I4(4), VARIANT::Str("cup"), VARIANT::Null()});
  EXPECT_EQ(Export(kColumns, rows, {",", false, true}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(ReadAll(target), "id,name,note\r\n1,pen,\r\n2,ink,say \"hi\"\r\n");
  EXPECT_EQ(run->RecordLines() + 1, 3);
  // Already closed and free while the failure is being reported.
  TargetFile next;
  EXPECT_NO_THROW(next.Open(target));
}

// Lines gather in a buffer: across its bounds, and around a line longer than it,
// the file holds every line whole and in order, also when the run then fails.
TEST_F(ExportRunTest, LinesCrossTheBufferWholeAndInOrder) {
  struct Case { int rows; size_t width; bool failAtEnd; };
  for (const Case& c : {Case{3000, 40, true}, Case{3, 200000, true}, Case{2000, 70, false}}) {
    std::vector<Row> rows;
    std::string expected;
    for (int r = 0; r < c.rows; ++r) {
      std::string text(c.width, static_cast<char>('a' + r % 26));
      rows.push_back({VARIANT::I4(r), VARIANT::Str(text)});
      expected += std::to_string(r) + "," + text + "\r\n";
    }
    if (c.failAtEnd) rows.push_back({VARIANT::I4(-1), Binary()});
    EXPECT_EQ(Export({"n", "v"}, rows, {",", false, false}), c.failAtEnd ? DISP_E_TYPEMISMATCH : S_OK);
    EXPECT_EQ(ReadAll(target), expected) << c.rows;
    EXPECT_EQ(run->RecordLines(), c.rows);
  }
}

TEST_F(ExportRunTest, StatementFailureLeavesTargetUntouched) {
  EXPECT_EQ(Export(kColumns, WorkedRows(), {",", false, true}, JET_E_NOTABLE), JET_E_NOTABLE);
  EXPECT_FALSE(fs::exists(target));
  std::ofstream(target) << "keep me";
  EXPECT_EQ(Export(kColumns, WorkedRows(), {",", false, true}, JET_E_NOTABLE), JET_E_NOTABLE);
  EXPECT_EQ(ReadAll(target), "keep me");
  EXPECT_EQ(run->RecordLines() + 1, 1);
}

// The test process keeps the C locale: GBK. The UTF-8 locale is the program's own
// start-up's business, tried on the real binary (tests/e2e).
TEST_F(ExportRunTest, ChineseIsGbkInTheCLocale) {
  std::vector<Row> rows = {{VARIANT::Str("张三"), VARIANT::Str("笑\xF0\x9F\x98\x80")}};
  ASSERT_EQ(Export({"姓名", "备注"}, rows, {"，", false, true}), S_OK);
  EXPECT_EQ(ReadAll(target), "\xD0\xD5\xC3\xFB\xA3\xAC\xB1\xB8\xD7\xA2\r\n"
                             "\xD5\xC5\xC8\xFD\xA3\xAC\xD0\xA6?\r\n");
}

TEST_F(ExportRunTest, DiskFullEndsOnTheFailurePath) {
  target = "/dev/full";
  EXPECT_EQ(Export(kColumns, WorkedRows(), {",", false, false}),
            static_cast<HRESULT>(0x80070070));
  EXPECT_EQ(run->RecordLines() + 1, 1);
}

TEST_F(ExportRunTest, TargetThatIsTheSourceIsRefused) {
  std::ofstream(dir / "src.mdb") << "database";
  fs::create_symlink(dir / "src.mdb", target);
  EXPECT_EQ(Export(kColumns, WorkedRows(), {",", false, false}), HResultFromErrno(EPERM));
  EXPECT_EQ(ReadAll(dir / "src.mdb"), "database");
}

TEST_F(ExportRunTest, EmbeddedNulIsWrittenWithTheRestOfTheValue) {
  // The Windows conversion stopped at a NUL; here a memo is never cut short.
  std::vector<Row> rows = {{VARIANT::Str(std::string("a\0b", 3)), VARIANT::Str("中")}};
  ASSERT_EQ(Export({"m", "n"}, rows, {",", true, false}), S_OK);
  EXPECT_EQ(ReadAll(target), std::string("\"a\0b\",\"\xD6\xD0\"\r\n", 12));
}

// A file that fails part-way ends at the last whole line known to be in it, and
// the box names the record after it. The 2.5 MB export runs in a child whose file
// takes `capacity` bytes (a file size limit: EFBIG; a full tmpfs), or whose flush
// to disk fails (EIO), as a network file system's full disk may: none was seen there.
bool failFlush = false;
extern "C" int fsync(int fd) { return failFlush ? (errno = EIO, -1) : static_cast<int>(syscall(SYS_fsync, fd)); }

class FullDiskTest : public ExportRunTest {
 protected:
  void SetUp() override {
    ExportRunTest::SetUp();
    for (int r = 0; r < 20000; ++r) {
      std::string text(60 + r % 120, static_cast<char>('a' + r % 26));
      rows.push_back({VARIANT::I4(r), VARIANT::Str(text)});
      ends.push_back((full += std::to_string(r) + "," + text + "\r\n").size());
    }
  }

  void ExpectWholeLinesBefore(uint64_t capacity, HRESULT failure, bool limit = false) {
    auto* result = static_cast<long*>(mmap(nullptr, 2 * sizeof(long), PROT_READ | PROT_WRITE,
                                           MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (fork() == 0) {
      const rlimit fileSize{capacity, capacity};
      if (limit && (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &fileSize) != 0)) _exit(1);
      failFlush = failure == HResultFromErrno(EIO);
      result[0] = Export({"n", "v"}, rows, {",", false, true});
      result[1] = run->RecordLines();
      _exit(0);
    }
    wait(nullptr);
    const long whole = std::upper_bound(ends.begin(), ends.end(), capacity) - ends.begin() - 1;
    EXPECT_EQ(result[0], failure) << capacity;
    EXPECT_EQ(result[1], std::max(0L, whole - 1)) << capacity;  // the header is no record
    EXPECT_TRUE(ReadAll(target) == full.substr(0, ends[whole])) << capacity;
    munmap(result, 2 * sizeof(long));
  }

  std::vector<Row> rows;
  std::string full = "n,v\r\n";
  std::vector<size_t> ends = {0, full.size()};  // where each line ends in full
};

TEST_F(FullDiskTest, FileSizeLimitOrFailedFlushLeavesTheWholeLinesBefore) {
  // Within the header, at a line's very end, inside a buffer.
  for (uint64_t capacity : {size_t{3}, ends[1000], size_t{256} << 10}) {
    ExpectWholeLinesBefore(capacity, HResultFromErrno(EFBIG), true);
  }
  ExpectWholeLinesBefore(0, HResultFromErrno(EIO));
}

// Run by ctest on its own, which reports it skipped where it cannot mount.
TEST_F(FullDiskTest, SmallFileSystemLeavesTheWholeLinesBefore) {
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "no 256 KiB tmpfs (mounting needs root): " << strerror(errno);
  }
  ExpectWholeLinesBefore(256 << 10, static_cast<HRESULT>(0x80070070));  // ERROR_DISK_FULL
  EXPECT_EQ(umount(dir.c_str()), 0);
}
