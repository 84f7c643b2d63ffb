#include "platform/jet/file/Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <new>
#include "platform/com/ComError.h"

namespace jet {

void Wipe(void* p, size_t n) {
  if (p && n) OPENSSL_cleanse(p, n);
}

void Secret::Resize(size_t n, uint8_t pad) {
  Secret bigger(n);
  for (size_t i = 0; i < n; ++i) bigger.m_bytes[i] = i < size() ? m_bytes[i] : pad;
  *this = bigger;
}

Secret Utf16Password(const std::string& utf8) {
  std::vector<uint32_t> chars;
  const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    const uint8_t b = p[i];
    size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    uint32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len != 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) {
      ok = (p[i + k] & 0xC0) == 0x80;
      c = c << 6 | (p[i + k] & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    chars.push_back(ok ? c : 0xFFFD);
    i += ok ? len : 1;
  }
  size_t units = 0;
  for (uint32_t c : chars) units += c > 0xFFFF ? 2 : 1;
  Secret out(2 * units);
  uint8_t* o = out.data();
  auto put = [&o](uint32_t u) { *o++ = static_cast<uint8_t>(u); *o++ = static_cast<uint8_t>(u >> 8); };
  for (uint32_t& c : chars) {
    if (c > 0xFFFF) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
    c = 0;
  }
  Wipe(chars.data(), chars.size() * sizeof(uint32_t));
  return out;
}

bool Digest::Known(const std::string& name) {
  return name == "SHA1" || name == "SHA256" || name == "SHA384" || name == "SHA512" || name == "MD5";
}

Digest::Digest(const std::string& name) {
  if (!Known(name)) throw _com_error(E_FAIL);
  m_md = EVP_MD_fetch(nullptr, name.c_str(), nullptr);
  m_ctx = EVP_MD_CTX_new();
  if (!m_md || !m_ctx) {
    EVP_MD_free(m_md);
    EVP_MD_CTX_free(m_ctx);
    throw std::bad_alloc();
  }
  m_size = static_cast<size_t>(EVP_MD_get_size(m_md));
}

Digest::~Digest() {
  EVP_MD_CTX_free(m_ctx);
  EVP_MD_free(m_md);
}

void Digest::Hash(const uint8_t* a, size_t an, const uint8_t* b, size_t bn, uint8_t* out) const {
  if (EVP_DigestInit_ex2(m_ctx, m_md, nullptr) != 1 || EVP_DigestUpdate(m_ctx, a, an) != 1 ||
      (bn && EVP_DigestUpdate(m_ctx, b, bn) != 1) || EVP_DigestFinal_ex(m_ctx, out, nullptr) != 1)
    throw std::bad_alloc();
}

Secret Digest::Iterated(const Secret& salt, const Secret& password, uint32_t rounds) const {
  // The round number and the previous hash side by side, hashed in one call.
  Secret buf(4 + m_size);
  Hash(salt.data(), salt.size(), password.data(), password.size(), buf.data() + 4);
  for (uint32_t i = 0; i < rounds; ++i) {
    PutLE32(i, buf.data());
    Hash(buf.data(), buf.size(), nullptr, 0, buf.data() + 4);
  }
  return Secret(buf.data() + 4, m_size);
}

static const EVP_CIPHER* AesCipher(size_t keyLen, bool cbc) {
  switch (keyLen) {
    case 16: return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
    case 24: return cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
    case 32: return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
    default: throw _com_error(E_FAIL);
  }
}

AesDecryptor::AesDecryptor(const Secret& key, bool cbc) {
  const EVP_CIPHER* cipher = AesCipher(key.size(), cbc);
  m_ctx = EVP_CIPHER_CTX_new();
  if (!m_ctx || EVP_DecryptInit_ex2(m_ctx, cipher, key.data(), nullptr, nullptr) != 1) {
    EVP_CIPHER_CTX_free(m_ctx);
    throw std::bad_alloc();
  }
  EVP_CIPHER_CTX_set_padding(m_ctx, 0);
}

AesDecryptor::~AesDecryptor() { EVP_CIPHER_CTX_free(m_ctx); }  // cleanses the key schedule

void AesDecryptor::Rekey(const Secret& key) {
  if (EVP_DecryptInit_ex2(m_ctx, nullptr, key.data(), nullptr, nullptr) != 1) throw std::bad_alloc();
}

void AesDecryptor::Decrypt(const uint8_t* iv, uint8_t* data, size_t len) const {
  int out = 0;
  // Only the IV changes between calls: the key schedule stays.
  if ((iv && EVP_DecryptInit_ex2(m_ctx, nullptr, nullptr, iv, nullptr) != 1) ||
      EVP_DecryptUpdate(m_ctx, data, &out, data, static_cast<int>(len)) != 1 ||
      static_cast<size_t>(out) != len)
    throw _com_error(E_FAIL);
}

}  // namespace jet
