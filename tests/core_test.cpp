// The settings store: values survive a save and a fresh instance; a damaged
// file reads as empty; an interrupted save leaves the old file whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/ostrum/Core.h"

namespace fs = std::filesystem;

namespace {

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kelvane_core_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / "kelvane.ini").string();
  }
  void TearDown() override {
    CCore::beforeRenameHook = nullptr;
    fs::remove_all(dir_);
  }
  void WriteRaw(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  std::string ReadRaw() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  std::string path_;
};

void ExpectEmpty(CCore& core) {
  for (const char* key : {"mdbfile", "txtfile", "sql", "opnsep", "usesql"}) {
    EXPECT_EQ(core.getConfigStr(key), "") << key;
    EXPECT_EQ(core.getConfigInt(key), 0) << key;
    EXPECT_EQ(core.getConfigB(key), 0) << key;
  }
}

TEST_F(CoreTest, EachKindOfValueSurvivesANewInstance) {
  const std::string sql = "select *\r\nfrom [客户]\r\nwhere a = 'x\\y'\n";
  {
    CCore core;
    core.bindFile(path_);
    core.saveConfigB("usesql", 1);
    core.saveConfigB("quote", 0);
    core.saveConfigB("odd", 7);  // flags are kept as given
    core.saveConfigInt("opnsep", -3);
    core.saveConfigStr("sql", sql);
    core.saveConfigStr("mdbfile", "/home/用户/数据 库/北风.mdb");
    core.saveConfigStr("usersep", "");
    core.saveConfigStr("fields", "  a=b, c==d \\n\\ ");
    core.saveConfigStr("weird=key\\", "v");
  }
  CCore core;
  core.bindFile(path_);
  EXPECT_EQ(core.getConfigB("usesql"), 1);
  EXPECT_EQ(core.getConfigB("quote"), 0);
  EXPECT_EQ(core.getConfigB("odd"), 7);
  EXPECT_EQ(core.getConfigInt("opnsep"), -3);
  EXPECT_EQ(core.getConfigStr("sql"), sql);
  EXPECT_EQ(core.getConfigStr("mdbfile"), "/home/用户/数据 库/北风.mdb");
  EXPECT_EQ(core.getConfigStr("usersep"), "");
  EXPECT_EQ(core.getConfigStr("fields"), "  a=b, c==d \\n\\ ");
  EXPECT_EQ(core.getConfigStr("weird=key\\"), "v");
  EXPECT_EQ(core.getConfigStr("never"), "");
  EXPECT_EQ(core.getConfigInt("never"), 0);
  EXPECT_EQ(core.getConfigInt("sql"), 0);  // text that is no integer reads 0
  // One line a key: the CR LF of the statement is escaped, not written raw.
  std::string raw = ReadRaw();
  EXPECT_EQ(raw.find('\r'), std::string::npos);
  EXPECT_NE(raw.find("sql=select *\\r\\nfrom [客户]\\r\\nwhere a = 'x\\\\y'\\n\n"), std::string::npos);
}

TEST_F(CoreTest, OverwriteKeepsLastValue) {
  CCore a;
  a.bindFile(path_);
  a.saveConfigStr("txtfile", "one");
  a.saveConfigStr("txtfile", "two");
  a.saveConfigInt("opnsep", 2);
  CCore b;
  b.bindFile(path_);
  EXPECT_EQ(b.getConfigStr("txtfile"), "two");
  EXPECT_EQ(b.getConfigInt("opnsep"), 2);
}

TEST_F(CoreTest, MissingEmptyRandomOrDirectoryFileReadsEmpty) {
  CCore missing;
  missing.bindFile(path_);
  ExpectEmpty(missing);

  WriteRaw("");
  CCore empty;
  empty.bindFile(path_);
  ExpectEmpty(empty);

  std::mt19937 rng(42);
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>(rng() & 0xFF);
  WriteRaw(noise);
  CCore random;
  random.bindFile(path_);
  ExpectEmpty(random);

  CCore dir;
  dir.bindFile(dir_.string());
  ExpectEmpty(dir);
}

TEST_F(CoreTest, HandEditedFileReadsAsTyped) {
  // An editor's byte-order mark, CR LF line ends, a last line without LF, a
  // backslash the format does not know; garbage lines are skipped.
  WriteRaw("\xEF\xBB\xBFopnsep=2\nno equals sign\n=novalue\nbad=C:\\q\\n\\\n"
           "txtfile=out.txt\r\nmdbfile=/data/nw");
  CCore core;
  core.bindFile(path_);
  EXPECT_EQ(core.getConfigInt("opnsep"), 2);
  EXPECT_EQ(core.getConfigStr("bad"), "C:\\q\n\\");
  EXPECT_EQ(core.getConfigStr("txtfile"), "out.txt");
  EXPECT_EQ(core.getConfigStr("mdbfile"), "/data/nw");
  core.saveConfigInt("opnsep", 1);  // written back without the mark, every value kept
  EXPECT_EQ(ReadRaw(), "bad=C:\\\\q\\n\\\\\nmdbfile=/data/nw\nopnsep=1\ntxtfile=out.txt\n");
}

TEST_F(CoreTest, SaveCreatesMissingFolders) {
  std::string deep = (dir_ / "a" / "b" / "kelvane.ini").string();
  CCore core;
  core.bindFile(deep);
  core.saveConfigStr("mdbfile", "x");
  CCore again;
  again.bindFile(deep);
  EXPECT_EQ(again.getConfigStr("mdbfile"), "x");
  // A new store is readable by others as a new file of the user's is.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(deep).permissions(), static_cast<fs::perms>(0644 & ~mask));
}

TEST_F(CoreTest, InterruptedSaveLeavesOldFileWhole) {
  CCore core;
  core.bindFile(path_);
  core.saveConfigStr("mdbfile", "old.mdb");
  core.saveConfigInt("opnsep", 1);
  const std::string before = ReadRaw();

  std::string temp;
  CCore::beforeRenameHook = [&](const std::string& p) { temp = p; return false; };
  core.saveConfigStr("mdbfile", std::string(100000, 'n'));
  CCore::beforeRenameHook = nullptr;

  EXPECT_EQ(ReadRaw(), before);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(fs::path(temp).parent_path(), dir_);  // same folder, so rename is atomic
  CCore reader;
  reader.bindFile(path_);
  EXPECT_EQ(reader.getConfigStr("mdbfile"), "old.mdb");
  EXPECT_EQ(reader.getConfigInt("opnsep"), 1);
}

TEST_F(CoreTest, AutoFileConfigFollowsXdgConfigHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  std::string saved = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  {
    CCore core;
    core.autoFileConfig();
    EXPECT_EQ(core.filePath(), (dir_ / "kelvane" / "kelvane.ini").string());
    core.saveConfigStr("mdbfile", "a.mdb");
  }
  EXPECT_TRUE(fs::is_regular_file(dir_ / "kelvane" / "kelvane.ini"));
  setenv("XDG_CONFIG_HOME", "", 1);
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(CCore::defaultFilePath(), std::string(home) + "/.config/kelvane/kelvane.ini");
  }
  if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
}

TEST_F(CoreTest, IsFileExistOnlyForRegularFiles) {
  CCore core;
  EXPECT_EQ(core.isFileExist(path_), 0);
  WriteRaw("x");
  EXPECT_NE(core.isFileExist(path_), 0);
  EXPECT_EQ(core.isFileExist(dir_.string()), 0);
  EXPECT_EQ(core.isFileExist(""), 0);
}

}  // namespace
