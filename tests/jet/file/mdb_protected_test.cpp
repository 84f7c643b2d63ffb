// Protected files made by Access and Jet (testdata/protected, V2010_with-password):
// each opens with its password, every table scans to the row count its definition
// records, and a missing or wrong password is Jet's refusal. A damaged encryption
// header is damage, whatever byte of it is hit.
#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "platform/com/ComError.h"
#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Pager.h"
#include "platform/jet/file/Protection.h"

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

// ECMA standard AES, of which no real file is at hand: the non-standard file made
// standard (its AES flag set, its pages and verifier encrypted again under the key
// of 50,000 rounds, MS-OFFCRYPTO 2.3.4.7), then read as any other.
TEST(MdbProtected, StandardAesFromTheNonStandardFile) {
  std::vector<char> file = ReadAll(kData + "/protected/db-nonstandard.accdb");
  ASSERT_FALSE(file.empty());
  auto* bytes = reinterpret_cast<uint8_t*>(file.data());
  std::vector<uint8_t> head(bytes, bytes + 4096);
  static const uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  jet::Rc4(kHeaderKey, 4, head.data() + 0x18, 128);
  const uint32_t pageKey = jet::Get32(head.data() + 0x3E);
  auto pages = jet::ReadOfficeEncryption(head.data(), 4096)->Unlock("password", pageKey);
  uint8_t* info = bytes + 0x29B;
  uint8_t* verifier = info + 12 + jet::Get32(info + 8);
  // The standard key of a block: SHA1(base + LE32 block), then X1 + X2.
  const jet::Digest sha1("SHA1");
  const jet::Secret salt(verifier + 4, 16), password = jet::Utf16Password("password");
  auto keyOf = [&](const jet::Secret& base, uint32_t block) {
    uint8_t b[4], h[20], buf[64], x[40];
    jet::PutLE32(block, b);
    sha1.Hash(base.data(), base.size(), b, 4, h);
    for (int half = 0; half < 2; ++half) {
      for (int i = 0; i < 64; ++i) buf[i] = static_cast<uint8_t>((half ? 0x5C : 0x36) ^ (i < 20 ? h[i] : 0));
      sha1.Hash(buf, 64, nullptr, 0, x + 20 * half);
    }
    return std::vector<uint8_t>(x, x + 32);
  };
  const jet::Secret standard = sha1.Iterated(salt, password, 50000), once = sha1.Iterated(salt, password, 0);
  auto key = [&](uint32_t block) { return keyOf(standard, block); };
  auto encrypt = [](const std::vector<uint8_t>& k, uint8_t* data, int len) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int out = 0;
    EVP_EncryptInit_ex2(ctx, EVP_aes_256_ecb(), k.data(), nullptr, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, data, &out, data, len);
    EVP_CIPHER_CTX_free(ctx);
  };
  for (size_t p = 1; p < file.size() / 4096; ++p) {
    pages->Decrypt(static_cast<uint32_t>(p), bytes + 4096 * p, 4096);
    encrypt(key(pageKey ^ static_cast<uint32_t>(p)), bytes + 4096 * p, 4096);
  }
  // The verifier and its hash: decrypted with the old key of block 0, encrypted with the new.
  uint8_t plain[48];
  std::memcpy(plain, verifier + 20, 16);
  std::memcpy(plain + 16, verifier + 40, 32);
  const std::vector<uint8_t> old = keyOf(once, 0);
  jet::AesDecryptor(jet::Secret(old.data(), old.size()), false).Decrypt(nullptr, plain, 48);
  encrypt(key(0), plain, 48);
  std::memcpy(verifier + 20, plain, 16);
  std::memcpy(verifier + 40, plain + 16, 32);
  info[4] = info[12] = 0x24;  // CryptoAPI | AES, in the stream's flags and its header's
  const std::string path = "/tmp/mdb_protected_std_" + std::to_string(getpid()) + ".accdb";
  std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
  auto f = jet::MdbFile::Open(path, "password");
  auto rows = f->Scan("Table_One");
  ASSERT_TRUE(rows->Next());
  EXPECT_EQ(rows->Value(1).bstrVal, "test");
  EXPECT_FALSE(rows->Next());
  EXPECT_EQ(OpenError(path, "Password"), JET_E_PASSWORD);
  unlink(path.c_str());
}

}  // namespace
