// Office encryption with the CryptoAPI header (MS-OFFCRYPTO 2.3.4.5, 2.3.4.6), as
// Access 2007 writes it: RC4 CryptoAPI (2.3.5.2), ECMA standard AES (2.3.4.7) and
// the variant that names AES without its flag and hashes the password only once.
#include <cstring>
#include "platform/com/ComError.h"
#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/Pager.h"
#include "platform/jet/file/Protection.h"

namespace jet {
namespace {

constexpr uint32_t kFlagCryptoApi = 0x04, kFlagAes = 0x20;
constexpr uint32_t kAlgRc4 = 0x6801, kAlgAes128 = 0x660E, kAlgAes192 = 0x660F, kAlgAes256 = 0x6610;
constexpr uint32_t kAlgSha1 = 0x8004;
constexpr uint32_t kStandardRounds = 50000;

struct Verifier {
  Secret salt;
  uint8_t encrypted[16];
  uint8_t hash[32];  // RC4: 20 bytes; AES: 32 (SHA-1's 20, then the block's padding)
};

// H(final) of 2.3.4.7 for one block: SHA1(base hash + LE32 block).
Secret BlockHash(const Digest& sha1, const Secret& base, uint32_t block) {
  uint8_t b[4];
  PutLE32(block, b);
  Secret h(sha1.Size());
  sha1.Hash(base.data(), base.size(), b, 4, h.data());
  return h;
}

class Rc4Pages : public PageCipher {
 public:
  Rc4Pages(Secret base, size_t keyLen, uint32_t pageKey)
      : m_base(std::move(base)), m_keyLen(keyLen), m_pageKey(pageKey) {}
  // The key of a block: its hash cut to the key size; a 40-bit key is padded with
  // zeros to 128 bits, as CryptoAPI does.
  Secret Key(uint32_t block) const {
    Secret k = BlockHash(m_sha1, m_base, block);
    k.Resize(m_keyLen, 0);
    if (m_keyLen == 5) k.Resize(16, 0);
    return k;
  }
  void Decrypt(uint32_t page, uint8_t* data, size_t size) const override {
    const Secret k = Key(m_pageKey ^ page);
    Rc4(k.data(), k.size(), data, size);
  }

 private:
  Digest m_sha1{"SHA1"};
  Secret m_base;
  size_t m_keyLen;
  uint32_t m_pageKey;
};

// 2.3.4.7's key from a block hash: X1 = SHA1(0x36 pad XOR hash), X2 with 0x5C,
// the key the first bytes of X1 + X2.
Secret DeriveAesKey(const Digest& sha1, const Secret& hash, size_t keyLen) {
  uint8_t buf[64];
  Secret x(2 * sha1.Size());
  for (int half = 0; half < 2; ++half) {
    const uint8_t pad = half == 0 ? 0x36 : 0x5C;
    for (size_t i = 0; i < 64; ++i) buf[i] = static_cast<uint8_t>(pad ^ (i < hash.size() ? hash.data()[i] : 0));
    sha1.Hash(buf, 64, nullptr, 0, x.data() + half * sha1.Size());
  }
  Wipe(buf, sizeof buf);
  x.Resize(keyLen, 0);
  return x;
}

class AesPages : public PageCipher {
 public:
  AesPages(Secret base, size_t keyLen, uint32_t pageKey)
      : m_base(std::move(base)), m_keyLen(keyLen), m_pageKey(pageKey),
        m_aes(Key(0), false) {}
  Secret Key(uint32_t block) const { return DeriveAesKey(m_sha1, BlockHash(m_sha1, m_base, block), m_keyLen); }
  void Decrypt(uint32_t page, uint8_t* data, size_t size) const override {
    m_aes.Rekey(Key(m_pageKey ^ page));
    m_aes.Decrypt(nullptr, data, size);
  }
  const AesDecryptor& Aes() const { return m_aes; }

 private:
  Digest m_sha1{"SHA1"};
  Secret m_base;
  size_t m_keyLen;
  uint32_t m_pageKey;
  mutable AesDecryptor m_aes;
};

class CryptoApiEncryption : public OfficeEncryption {
 public:
  CryptoApiEncryption(bool aes, uint32_t rounds, size_t keyLen, Verifier v)
      : m_aes(aes), m_rounds(rounds), m_keyLen(keyLen), m_verifier(std::move(v)) {}

  std::unique_ptr<PageCipher> Unlock(const std::string& password, uint32_t pageKey) const override {
    if (password.empty()) RefusePassword(password);
    Digest sha1("SHA1");
    Secret base = sha1.Iterated(m_verifier.salt, Utf16Password(password), m_rounds);
    uint8_t v[16 + 32];
    std::memcpy(v, m_verifier.encrypted, 16);
    std::memcpy(v + 16, m_verifier.hash, 32);
    std::unique_ptr<PageCipher> pages;
    if (m_aes) {
      // 2.3.4.9: the verifier and its hash, decrypted with block 0's key.
      auto aes = std::make_unique<AesPages>(base, m_keyLen, pageKey);
      aes->Aes().Decrypt(nullptr, v, sizeof v);
      pages = std::move(aes);
    } else {
      // 2.3.5.6: one RC4 stream of block 0's key over the verifier, then its hash.
      auto rc4 = std::make_unique<Rc4Pages>(base, m_keyLen, pageKey);
      const Secret k = rc4->Key(0);
      Rc4(k.data(), k.size(), v, 16 + 20);
      pages = std::move(rc4);
    }
    uint8_t h[20];
    sha1.Hash(v, 16, nullptr, 0, h);
    const bool match = std::memcmp(h, v + 16, 20) == 0;
    Wipe(v, sizeof v);
    Wipe(h, sizeof h);
    if (!match) RefusePassword(password);
    return pages;
  }

 private:
  bool m_aes;
  uint32_t m_rounds;
  size_t m_keyLen;
  Verifier m_verifier;
};

}  // namespace

std::unique_ptr<OfficeEncryption> ReadStandardEncryption(const uint8_t* info, size_t len) {
  // Version (4), flags (4), header size (4), the header, then the verifier.
  if (len < 12) DamagedEncryption();
  const uint32_t flags = Get32(info + 4), headerSize = Get32(info + 8);
  if (headerSize < 32 || headerSize > len - 12) DamagedEncryption();
  const uint8_t* header = info + 12;
  const uint32_t algId = Get32(header + 8), algIdHash = Get32(header + 12);
  uint32_t keyBits = Get32(header + 16);
  if (!(flags & kFlagCryptoApi) || (algIdHash != 0 && algIdHash != kAlgSha1)) DamagedEncryption();

  bool aes, standard;
  if (flags & kFlagAes) {
    aes = standard = true;  // ECMA-376 standard encryption
    if (algId != 0 && algId != kAlgAes128 && algId != kAlgAes192 && algId != kAlgAes256) DamagedEncryption();
  } else if (algId == kAlgAes128 || algId == kAlgAes192 || algId == kAlgAes256) {
    aes = true, standard = false;  // AES named without its flag: the password hashed once
  } else if (algId == 0 || algId == kAlgRc4) {
    aes = standard = false;
  } else {
    DamagedEncryption();
  }
  if (aes) {
    const uint32_t named = algId == kAlgAes192 ? 192 : algId == kAlgAes256 ? 256 : 128;
    if (keyBits == 0) keyBits = named;
    if (keyBits != named) DamagedEncryption();
  } else {
    if (keyBits == 0) keyBits = 40;
    if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0) DamagedEncryption();
  }

  // The verifier: salt size (16), salt, encrypted verifier (16), hash size (20),
  // encrypted hash (20 bytes for RC4, 32 for AES's whole blocks).
  const size_t hashLen = aes ? 32 : 20;
  const uint8_t* v = header + headerSize;
  if (len - 12 - headerSize < 4 + 16 + 16 + 4 + hashLen) DamagedEncryption();
  if (Get32(v) != 16 || Get32(v + 36) != 20) DamagedEncryption();
  Verifier verifier;
  verifier.salt = Secret(v + 4, 16);
  std::memcpy(verifier.encrypted, v + 20, 16);
  std::memset(verifier.hash, 0, sizeof verifier.hash);
  std::memcpy(verifier.hash, v + 40, hashLen);
  return std::make_unique<CryptoApiEncryption>(aes, standard ? kStandardRounds : 0, keyBits / 8,
                                               std::move(verifier));
}

}  // namespace jet
