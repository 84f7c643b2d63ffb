// The export file's bytes below the dialog: the code page conversion, the target
// file's open/lock/write/close failures, and the line format.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "export/TextWriter.h"
#include "platform/com/Errno.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& s) {
  std::ofstream(p, std::ios::binary) << s;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kelvane-export-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir);
  }
  fs::path dir;
};

HRESULT ErrnoCode(int e) { return HResultFromErrno(e); }

template <class F>
HRESULT CodeOf(F&& f) {
  try {
    f();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

std::string Encode(const std::string& charset, const std::string& utf8) {
  TextEncoder enc(charset);
  std::string out;
  enc.Append(utf8, &out);
  return out;
}

}  // namespace

TEST(TextEncoderTest, GbkHoldsChineseAndEuroAndMarksWhatItCannotHold) {
  EXPECT_EQ(Encode("CP936", "id,中文"), "id,\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Encode("CP936", "\xE2\x82\xAC"), "\x80");  // the euro sign of code page 936
  // One '?' per character, whatever its length in UTF-8; the text around it stays.
  EXPECT_EQ(Encode("CP936", "a\xF0\x9F\x98\x80" "b\xF0\x9F\x98\x80\xF0\x9F\x98\x80" "中"),
            "a?b??\xD6\xD0");
  // A broken sequence costs one '?' and never swallows the ASCII after it.
  EXPECT_EQ(Encode("CP936", "\xE4\xB8" "A\xFF" "B\xE4"), "?A?B?");
}

TEST(TextEncoderTest, RepeatedCharactersKeepTheirBytes) {
  // The second time a character comes, its bytes come from what the first found,
  // beyond the Basic Multilingual Plane too, where iconv drops the language tags.
  TextEncoder enc("CP936");
  std::string out;
  enc.Append("中€\u0E01\U0001F600\U000E0041", &out);
  enc.Append("x\u0E01中€\U0001F600\U000E0041", &out);
  EXPECT_EQ(out, "\xD6\xD0\x80??x?\xD6\xD0\x80?");
  // Each '?' is counted where it is written, the cached ones too; a dropped tag is no '?'.
  EXPECT_EQ(enc.Replaced(), 4u);
  enc.Append("\xE4\xB8" "A", &out);
  EXPECT_EQ(enc.Replaced(), 5u);
  EXPECT_EQ(Encode("GB18030", "\U0001F600\U0001F600"), "\x94\x39\xFC\x36\x94\x39\xFC\x36");
}

TEST(TextEncoderTest, Utf8TargetKeepsTheBytes) {
  const std::string s = "中文 \xF0\x9F\x98\x80 \xE2\x82\xAC";
  EXPECT_EQ(Encode("UTF-8", s), s);
}

TEST(TextEncoderTest, LongTextIsConvertedWhole) {
  std::string in, want;
  for (int i = 0; i < 5000; ++i) { in += "中x"; want += "\xD6\xD0x"; }
  EXPECT_EQ(Encode("CP936", in), want);
}

using TargetFileTest = TempDir;

TEST_F(TargetFileTest, ExistingFileIsEmptiedAndWrittenWhole) {
  fs::path p = dir / "out.txt";
  WriteAll(p, "old content that is longer");
  TargetFile f;
  f.Open(p);
  f.Write("ab\r\n", 4);
  f.Close();
  EXPECT_EQ(ReadAll(p), "ab\r\n");
}

TEST_F(TargetFileTest, FailuresCarryTheSystemCode) {
  TargetFile f;
  // A folder of the path that is not there: the path, not the file, is not found.
  EXPECT_EQ(CodeOf([&] { f.Open(dir / "missing" / "out.txt"); }), ErrnoCode(ENOTDIR));
  EXPECT_EQ(CodeOf([&] { f.Open(dir); }), ErrnoCode(EISDIR));
  // A FIFO nobody reads is refused rather than waited on.
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(CodeOf([&] { f.Open(dir / "fifo"); }), ErrnoCode(ENXIO));
  // The disk is full: the write fails, not the open.
  TargetFile full;
  full.Open("/dev/full");
  EXPECT_EQ(CodeOf([&] { full.Write("x\r\n", 3); }), static_cast<HRESULT>(0x80070070));
}

TEST_F(TargetFileTest, NoPermissionIsAccessDenied) {
  fs::path p = dir / "out.txt";
  if (geteuid() == 0) {
    // Root writes into any folder; sysfs still refuses it a read-only attribute.
    p = "/sys/kernel/notes";
    if (!fs::exists(p)) GTEST_SKIP() << "no file that refuses root here";
  } else {
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  }
  TargetFile f;
  EXPECT_EQ(CodeOf([&] { f.Open(p); }), ErrnoCode(EACCES));
}

TEST_F(TargetFileTest, SecondWriterIsRefusedAndTruncatesNothing) {
  fs::path p = dir / "out.txt";
  TargetFile first;
  first.Open(p);
  first.Write("line 1\r\n", 8);
  TargetFile second;
  EXPECT_EQ(CodeOf([&] { second.Open(p); }), static_cast<HRESULT>(0x80070020));
  EXPECT_FALSE(second.IsOpen());
  first.Write("line 2\r\n", 8);
  first.Close();
  EXPECT_EQ(ReadAll(p), "line 1\r\nline 2\r\n");
  // Once the first run has closed, the file is free again.
  second.Open(p);
  second.Close();
  EXPECT_EQ(fs::file_size(p), 0u);
}

TEST_F(TargetFileTest, SameFileThroughAnyPathIsRecognisedAndKept) {
  fs::path db = dir / "data.mdb";
  WriteAll(db, "database");
  fs::create_directory(dir / "sub");
  fs::create_symlink(db, dir / "link.mdb");
  fs::create_hard_link(db, dir / "sub" / "hard.txt");
  EXPECT_TRUE(IsSameFile(db, db));
  EXPECT_TRUE(IsSameFile((dir / "sub" / ".." / "data.mdb").string(), db));
  EXPECT_TRUE(IsSameFile((dir / "link.mdb").string(), db));
  EXPECT_TRUE(IsSameFile((dir / "sub" / "hard.txt").string(), db));
  EXPECT_FALSE(IsSameFile((dir / "other.txt").string(), db));  // missing
  WriteAll(dir / "copy.mdb", "database");
  EXPECT_FALSE(IsSameFile((dir / "copy.mdb").string(), db));

  // The writer itself refuses it too, before anything in it changes.
  TargetFile f;
  EXPECT_EQ(CodeOf([&] { f.Open(dir / "sub" / "hard.txt", db); }), ErrnoCode(EPERM));
  EXPECT_EQ(ReadAll(db), "database");
}

using TextWriterTest = TempDir;

TEST_F(TextWriterTest, SeparatorQuotesHeaderAndSkippedEmptyRecords) {
  fs::path p = dir / "out.txt";
  TextEncoder enc("CP936");
  TargetFile f;
  f.Open(p);
  TextFormat fmt{" | ", false, true};
  TextWriter w(fmt, enc, f);
  w.BeginLine(); w.EndHeader();  // a header with no columns is still its line
  w.BeginLine(); w.AddField("a"); w.AddField(""); w.AddField("中"); EXPECT_TRUE(w.EndRecord());
  w.BeginLine(); w.AddField(""); EXPECT_FALSE(w.EndRecord());
  w.BeginLine(); w.AddField("x\"y\r\nz"); EXPECT_TRUE(w.EndRecord());
  w.Flush();
  TextFormat quoted{",", true, false};
  TextWriter q(quoted, enc, f);
  q.BeginLine(); q.AddField(""); EXPECT_TRUE(q.EndRecord());
  q.Flush();
  f.Close();
  EXPECT_EQ(w.RecordLines(), 2);
  EXPECT_EQ(ReadAll(p), "\r\na |  | \xD6\xD0\r\nx\"y\r\nz\r\n\"\"\r\n");
}

// Separators of no, one, two and three characters, bare and quoted: a line of
// "a", "", "b" and one of two empty fields (left out when it comes out empty).
TEST_F(TextWriterTest, SeparatorsOfEveryLength) {
  const struct { TextFormat format; const char* file; } cases[] = {
      {{"", false}, "ab\r\n"},
      {{"", true}, "\"a\"\"\"\"b\"\r\n\"\"\"\"\r\n"},
      {{",", false}, "a,,b\r\n,\r\n"},
      {{",", true}, "\"a\",\"\",\"b\"\r\n\"\",\"\"\r\n"},
      {{"ab", false}, "aababb\r\nab\r\n"},
      {{" | ", true}, "\"a\" | \"\" | \"b\"\r\n\"\" | \"\"\r\n"},
  };
  TextEncoder enc("CP936");
  for (const auto& c : cases) {
    fs::path p = dir / "out.txt";
    TargetFile f;
    f.Open(p);
    TextWriter w(c.format, enc, f);
    w.BeginLine(); w.AddField("a"); w.AddField(""); w.AddField("b"); w.EndRecord();
    w.BeginLine(); w.AddField(""); w.AddField(""); w.EndRecord();
    w.Close();
    EXPECT_EQ(ReadAll(p), c.file) << "separator \"" << c.format.separator << "\" quote " << c.format.quote;
  }
}
