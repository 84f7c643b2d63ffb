// The cryptography of protected files, over OpenSSL's libcrypto (EVP): the hashes
// and AES that Office encryption uses, and key material that is wiped when it goes.
// RC4 is the reader's own (Pager.h): Jet's page encoding needs nothing more.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct evp_md_st EVP_MD;
typedef struct evp_md_ctx_st EVP_MD_CTX;
typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;

namespace jet {

void Wipe(void* p, size_t n);

// Bytes of a key, a hash of the password or the password itself: zeroed when they
// are destroyed. Sized once, so no copy is left behind by a reallocation.
class Secret {
 public:
  Secret() = default;
  explicit Secret(size_t n) : m_bytes(n) {}
  Secret(const uint8_t* p, size_t n) : m_bytes(p, p + n) {}
  ~Secret() { Wipe(m_bytes.data(), m_bytes.size()); }
  Secret(const Secret& o) = default;
  Secret& operator=(const Secret& o) {
    if (this != &o) { Wipe(m_bytes.data(), m_bytes.size()); m_bytes = o.m_bytes; }
    return *this;
  }
  uint8_t* data() { return m_bytes.data(); }
  const uint8_t* data() const { return m_bytes.data(); }
  size_t size() const { return m_bytes.size(); }
  // Cuts to n bytes, or pads to n with `pad`.
  void Resize(size_t n, uint8_t pad);

 private:
  std::vector<uint8_t> m_bytes;
};

// The password as Office hashes it: UTF-16LE of its UTF-8 (a malformed byte
// becomes U+FFFD, a character past U+FFFF a surrogate pair).
Secret Utf16Password(const std::string& utf8);

// One hash function, its context kept for the many hashes of a key derivation.
class Digest {
 public:
  // "SHA1", "SHA256", "SHA384", "SHA512" or "MD5" (the names of MS-OFFCRYPTO's
  // descriptors); false from Known for any other name.
  static bool Known(const std::string& name);
  explicit Digest(const std::string& name);
  ~Digest();
  Digest(const Digest&) = delete;
  Digest& operator=(const Digest&) = delete;
  size_t Size() const { return m_size; }
  // out (Size() bytes) = hash of a, then b.
  void Hash(const uint8_t* a, size_t an, const uint8_t* b, size_t bn, uint8_t* out) const;
  // hash(salt + password), then `rounds` times hash(LE32 i + previous): the
  // spin-count hash of MS-OFFCRYPTO 2.3.4.7 and 2.3.4.11.
  Secret Iterated(const Secret& salt, const Secret& password, uint32_t rounds) const;

 private:
  EVP_MD* m_md = nullptr;
  EVP_MD_CTX* m_ctx = nullptr;
  size_t m_size = 0;
};

// AES decryption in place, with one key (ECB, or CBC with an IV per call).
class AesDecryptor {
 public:
  AesDecryptor(const Secret& key, bool cbc);
  ~AesDecryptor();
  AesDecryptor(const AesDecryptor&) = delete;
  AesDecryptor& operator=(const AesDecryptor&) = delete;
  // len is a multiple of 16; iv is 16 bytes (CBC only, ignored for ECB).
  void Decrypt(const uint8_t* iv, uint8_t* data, size_t len) const;
  // Changes the key (same size as the first).
  void Rekey(const Secret& key);

 private:
  EVP_CIPHER_CTX* m_ctx = nullptr;
};

inline void PutLE32(uint32_t v, uint8_t* p) {
  p[0] = static_cast<uint8_t>(v); p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16); p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace jet
