// Agile encryption (MS-OFFCRYPTO 2.3.4.10 to 2.3.4.15), as Access 2010 and later
// write it: the password's spin-count hash opens the intermediate key, which
// decrypts each page with AES-CBC under an IV of its own.
#include <cstring>
#include "platform/jet/file/AgileDescriptor.h"
#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/Pager.h"
#include "platform/jet/file/Protection.h"

namespace jet {
namespace {

// The block keys of 2.3.4.11 for the password key encryptor's three values.
constexpr uint8_t kVerifierInputBlock[8] = {0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79};
constexpr uint8_t kVerifierValueBlock[8] = {0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e};
constexpr uint8_t kKeyValueBlock[8] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};

// hash(a + b) cut, or padded with 0x36, to n bytes (2.3.4.11, 2.3.4.12).
Secret HashTo(const Digest& h, const Secret& a, const uint8_t* b, size_t bn, size_t n) {
  Secret out(h.Size());
  h.Hash(a.data(), a.size(), b, bn, out.data());
  out.Resize(n, 0x36);
  return out;
}

class AgilePages : public PageCipher {
 public:
  AgilePages(const AgileCipherParams& keyData, const Secret& key, uint32_t pageKey)
      : m_hash(keyData.hashAlgorithm), m_salt(keyData.salt), m_block(keyData.blockSize),
        m_pageKey(pageKey), m_aes(key, true) {}
  void Decrypt(uint32_t page, uint8_t* data, size_t size) const override {
    // 2.3.4.12's IV with the page as its block key: hash(keyData salt + LE32 block).
    uint8_t block[4];
    PutLE32(m_pageKey ^ page, block);
    uint8_t iv[64];
    m_hash.Hash(m_salt.data(), m_salt.size(), block, 4, iv);
    if (m_hash.Size() < m_block) std::memset(iv + m_hash.Size(), 0x36, m_block - m_hash.Size());
    m_aes.Decrypt(iv, data, size);
  }

 private:
  Digest m_hash;
  Secret m_salt;
  size_t m_block;
  uint32_t m_pageKey;
  AesDecryptor m_aes;
};

class AgileEncryption : public OfficeEncryption {
 public:
  explicit AgileEncryption(AgileDescriptor d) : m_d(std::move(d)) {}

  std::unique_ptr<PageCipher> Unlock(const std::string& password, uint32_t pageKey) const override {
    if (password.empty()) RefusePassword(password);
    const AgileCipherParams& p = m_d.password;
    const Digest hash(p.hashAlgorithm);
    const Secret base = hash.Iterated(p.salt, Utf16Password(password), m_d.spinCount);
    Secret iv(p.salt);
    iv.Resize(p.blockSize, 0x36);
    auto decrypt = [&](const uint8_t* blockKey, const Secret& value) {
      Secret out(value);
      AesDecryptor(HashTo(hash, base, blockKey, 8, p.keyBits / 8), true).Decrypt(iv.data(), out.data(), out.size());
      return out;
    };
    // 2.3.4.13: the verifier input, decrypted and hashed, is the decrypted value.
    const Secret input = decrypt(kVerifierInputBlock, m_d.verifierInput);
    const Secret value = decrypt(kVerifierValueBlock, m_d.verifierValue);
    Secret inputHash(hash.Size());
    hash.Hash(input.data(), p.saltSize, nullptr, 0, inputHash.data());
    if (std::memcmp(inputHash.data(), value.data(), p.hashSize) != 0) RefusePassword(password);
    Secret key = decrypt(kKeyValueBlock, m_d.encryptedKey);
    key.Resize(m_d.keyData.keyBits / 8, 0);
    return std::make_unique<AgilePages>(m_d.keyData, key, pageKey);
  }

 private:
  AgileDescriptor m_d;
};

}  // namespace

std::unique_ptr<OfficeEncryption> ReadAgileEncryption(const uint8_t* info, size_t len) {
  // Version 4.4, reserved 0x40, then the XML.
  if (len < 8 || Get32(info + 4) != 0x40) DamagedEncryption();
  return std::make_unique<AgileEncryption>(
      ParseAgileDescriptor(reinterpret_cast<const char*>(info + 8), len - 8));
}

}  // namespace jet
