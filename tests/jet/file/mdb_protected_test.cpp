// Protected files made by Access and Jet (testdata/protected, V2010_with-password):
// each opens with its password, every table scans to the row count its definition
// records, and a missing or wrong password is Jet's refusal. A damaged encryption
// header is damage, whatever byte of it is hit.
#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"

namespace {

const std::string kData = KELVANE_TESTDATA;

struct ProtectedFile {
  const char* path;      // under testdata
  const char* password;  // empty: the pages are only encoded
  const char* table;     // its one user table
  uint64_t rows;
  const char* lastText;  // the text column of its last row
  bool office;           // its EncryptionInfo follows the header
};

const ProtectedFile kFiles[] = {
    {"V2010_with-password.accdb", "password", "Table1", 3, "Three", true},       // agile SHA-512
    {"protected/db2013-enc.accdb", "1234", "Customers", 7, "f", true},           // agile SHA-512
    {"protected/db2007-oldenc.accdb", "Test123", "Table1", 1, "foo", true},      // RC4 CryptoAPI 40
    {"protected/db-nonstandard.accdb", "password", "Table_One", 1, "test", true},  // AES, no rounds
    {"protected/V2003_with-password.mdb", "password", "Table1", 3, "Three", false},  // Jet 4 password
    {"protected/db-enc.mdb", "", "Table1", 2, "world", false},                   // Jet 4 RC4 pages
    {"protected/db97-enc.mdb", "", "Table1", 2, "world", false},                 // Jet 3 RC4 pages
};

HRESULT OpenError(const std::string& path, const std::string& password, std::string* why = nullptr) {
  try {
    jet::MdbFile::Open(path, password);
    return S_OK;
  } catch (const _com_error& e) {
    if (why) *why = e.Description();
    return e.Error();
  }
}

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

TEST(MdbProtected, EveryFileOpensWithItsPasswordOnly) {
  for (const ProtectedFile& p : kFiles) {
    const std::string path = kData + "/" + p.path;
    SCOPED_TRACE(p.path);
    auto f = jet::MdbFile::Open(path, p.password);
    bool found = false;
    for (const jet::CatalogEntry& e : f->Catalog()) {
      if (e.type != jet::ObjectType::Table && e.type != jet::ObjectType::SystemTable) continue;
      std::string exact;
      std::vector<jet::ColumnDef> cols;
      ASSERT_TRUE(f->FindTable(e.name, &exact, &cols)) << e.name;
      auto s = f->Scan(exact);
      uint64_t n = 0;
      std::string last;
      while (s->Next()) {
        ++n;
        if (e.name == p.table) last = s->Value(1).vt == VT_BSTR ? s->Value(1).bstrVal : "";
      }
      EXPECT_EQ(n, f->RecordedRowCount(exact)) << e.name;
      if (e.name != p.table) continue;
      found = true;
      EXPECT_EQ(n, p.rows);
      EXPECT_EQ(last, p.lastText);
    }
    EXPECT_TRUE(found) << p.table;
    if (!*p.password) continue;
    std::string why;
    EXPECT_EQ(OpenError(path, "", &why), JET_E_PASSWORD);
    EXPECT_EQ(why, "数据库受密码保护");
    EXPECT_EQ(OpenError(path, "wrong", &why), JET_E_PASSWORD);
    EXPECT_EQ(why, "密码不正确");
    // Access hashes the password as UTF-16: any length, any character.
    for (const std::string& odd : {std::string(1 << 20, 'p'), std::string("pässwörd密码\xF0\x9F\x94\x91"),
                                   std::string("\xFF\xFEpassword"), std::string(p.password) + "x"})
      EXPECT_EQ(OpenError(path, odd), JET_E_PASSWORD);
  }
}

// Every byte of each EncryptionInfo changed in turn: the file is damaged or asks
// for its password, never more (the cheap schemes are also tried with it).
TEST(MdbProtected, DamagedEncryptionHeaderIsDamage) {
  const std::string tmp = "/tmp/mdb_protected_" + std::to_string(getpid()) + ".accdb";
  for (const ProtectedFile& p : kFiles) {
    if (!p.office || &p == &kFiles[0]) continue;  // one agile file is enough here
    SCOPED_TRACE(p.path);
    std::vector<char> plain = ReadAll(kData + "/" + p.path);
    plain.resize(3 * 4096);  // the header, the usage map, the catalog's definition: enough
    const size_t len = static_cast<uint8_t>(plain[0x299]) | static_cast<uint8_t>(plain[0x29A]) << 8;
    const bool cheap = plain[0x29D] == 2;  // a CryptoAPI header, not agile's spin count
    for (size_t i = 0x299; i < 0x29B + len; ++i) {
      std::vector<char> b = plain;
      b[i] = static_cast<char>(b[i] ^ (i < 0x29B ? 0x80 : 0x41));
      std::ofstream(tmp, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
      const HRESULT none = OpenError(tmp, "");
      EXPECT_TRUE(none == E_FAIL || none == JET_E_PASSWORD) << i << std::hex << " " << none;
      if (!cheap) continue;
      const HRESULT with = OpenError(tmp, p.password);
      EXPECT_TRUE(with == E_FAIL || with == JET_E_PASSWORD || with == S_OK) << i << std::hex << " " << with;
    }
  }
  std::string why;
  std::vector<char> b = ReadAll(kData + "/V2010_with-password.accdb");
  const std::string spin = "spinCount=\"100000\"";
  std::string text(b.begin(), b.end());
  const size_t at = text.find(spin);
  const size_t len0 = static_cast<uint8_t>(text[0x299]) | static_cast<uint8_t>(text[0x29A]) << 8;
  ASSERT_NE(at, std::string::npos);
  // Above what any file holds: refused at once, without a single round.
  text.replace(at, spin.size(), "spinCount=\"999999999\"");
  text.erase(0x29B + len0 + 3, 3);  // zeros after the stream: the page keeps its size
  text[0x299] = static_cast<char>(text[0x299] + 3);
  std::ofstream(tmp, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  EXPECT_EQ(OpenError(tmp, "password", &why), E_FAIL);
  EXPECT_EQ(why, "文件的加密头已损坏");
  unlink(tmp.c_str());
}

}  // namespace
