#include "support/AgileEncrypt.h"

#include <openssl/evp.h>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>
#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/Pager.h"

namespace jetwriter {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Base64(const Bytes& b) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < b.size(); i += 3) {
    const uint32_t n = b[i] << 16 | (i + 1 < b.size() ? b[i + 1] << 8 : 0) | (i + 2 < b.size() ? b[i + 2] : 0);
    for (size_t k = 0; k < 4; ++k) out += i + k <= b.size() ? kDigits[n >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}

Bytes Sha512(const Bytes& a, const Bytes& b) {
  Bytes out(64);
  jet::Digest("SHA512").Hash(a.data(), a.size(), b.data(), b.size(), out.data());
  return out;
}

void AesCbc(const Bytes& key, const uint8_t* iv, uint8_t* data, size_t len) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int out = 0;
  EVP_EncryptInit_ex2(ctx, EVP_aes_256_cbc(), key.data(), iv, nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  EVP_EncryptUpdate(ctx, data, &out, data, static_cast<int>(len));
  EVP_CIPHER_CTX_free(ctx);
}

Bytes Encrypted(const Bytes& key, const Bytes& iv, Bytes value) {
  value.resize((value.size() + 15) / 16 * 16, 0);
  AesCbc(key, iv.data(), value.data(), value.size());
  return value;
}

}  // namespace

void EncryptAgile(const std::string& path, const std::string& password, uint32_t spinCount) {
  std::ifstream in(path, std::ios::binary);
  Bytes file((std::istreambuf_iterator<char>(in)), {});
  if (file.size() < 3 * 4096 || file.size() % 4096 != 0) throw std::runtime_error("not an .accdb: " + path);
  std::mt19937 random(spinCount);
  auto randomBytes = [&random](size_t n) {
    Bytes b(n);
    for (uint8_t& c : b) c = static_cast<uint8_t>(random());
    return b;
  };
  const Bytes keySalt = randomBytes(16), passwordSalt = randomBytes(16), key = randomBytes(32),
              verifier = randomBytes(16);
  const uint32_t pageKey = 0x6B2E19A5;

  // The password's key for each of the three values (2.3.4.11).
  const jet::Secret pw = jet::Utf16Password(password);
  const jet::Secret spun = jet::Digest("SHA512").Iterated(jet::Secret(passwordSalt.data(), 16), pw, spinCount);
  const Bytes h(spun.data(), spun.data() + spun.size());
  auto blockKey = [&h](Bytes block) {
    Bytes k = Sha512(h, block);
    k.resize(32);
    return k;
  };
  const Bytes input = Encrypted(blockKey({0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79}), passwordSalt, verifier);
  const Bytes value = Encrypted(blockKey({0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e}), passwordSalt,
                                Sha512(verifier, {}));
  const Bytes keyValue = Encrypted(blockKey({0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6}), passwordSalt, key);
  const std::string cipher =
      "saltSize=\"16\" blockSize=\"16\" keyBits=\"256\" hashSize=\"64\" cipherAlgorithm=\"AES\" "
      "cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"SHA512\" ";
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
      "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\"><keyData " + cipher +
      "saltValue=\"" + Base64(keySalt) + "\"/><keyEncryptors><keyEncryptor "
      "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\"><p:encryptedKey spinCount=\"" +
      std::to_string(spinCount) + "\" " + cipher + "saltValue=\"" + Base64(passwordSalt) +
      "\" encryptedVerifierHashInput=\"" + Base64(input) + "\" encryptedVerifierHashValue=\"" + Base64(value) +
      "\" encryptedKeyValue=\"" + Base64(keyValue) + "\"/></keyEncryptor></keyEncryptors></encryption>";

  // The header: the page key (under the header's mask), then the EncryptionInfo.
  static const uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  jet::Rc4(kHeaderKey, 4, &file[0x18], 128);
  jet::PutLE32(pageKey, &file[0x3E]);
  jet::Rc4(kHeaderKey, 4, &file[0x18], 128);
  Bytes info = {4, 0, 4, 0, 0x40, 0, 0, 0};
  info.insert(info.end(), xml.begin(), xml.end());
  if (0x29B + info.size() > 4096) throw std::runtime_error("the descriptor does not fit the header");
  file[0x299] = static_cast<uint8_t>(info.size());
  file[0x29A] = static_cast<uint8_t>(info.size() >> 8);
  std::copy(info.begin(), info.end(), file.begin() + 0x29B);

  for (size_t p = 1; p < file.size() / 4096; ++p) {
    Bytes block(4);
    jet::PutLE32(pageKey ^ static_cast<uint32_t>(p), block.data());
    AesCbc(key, Sha512(keySalt, block).data(), &file[4096 * p], 4096);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace jetwriter
