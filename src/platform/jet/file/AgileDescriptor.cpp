#include "platform/jet/file/AgileDescriptor.h"

#include <expat.h>
#include <cstring>
#include <map>
#include "platform/jet/file/Protection.h"

namespace jet {
namespace {

constexpr char kKeyData[] = "http://schemas.microsoft.com/office/2006/encryption|keyData";
constexpr char kEncryptedKey[] =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/password|encryptedKey";
constexpr uint32_t kMaxSpinCount = 10000000;

using Attributes = std::map<std::string, std::string>;

struct Found {
  int keyData = 0, encryptedKey = 0;
  Attributes keyDataAttrs, keyAttrs;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attrs) {
  Found& f = *static_cast<Found*>(data);
  Attributes* into = nullptr;
  if (std::strcmp(name, kKeyData) == 0 && f.keyData++ == 0) into = &f.keyDataAttrs;
  if (std::strcmp(name, kEncryptedKey) == 0 && f.encryptedKey++ == 0) into = &f.keyAttrs;
  for (int i = 0; into && attrs[i] && attrs[i + 1]; i += 2) (*into)[attrs[i]] = attrs[i + 1];
}

const std::string& Attr(const Attributes& a, const char* name) {
  auto it = a.find(name);
  if (it == a.end()) DamagedEncryption();
  return it->second;
}

// A decimal number in [lo, hi], digits only.
uint32_t Number(const Attributes& a, const char* name, uint32_t lo, uint32_t hi) {
  const std::string& s = Attr(a, name);
  if (s.empty() || s.size() > 9) DamagedEncryption();
  uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') DamagedEncryption();
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v < lo || v > hi) DamagedEncryption();
  return v;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

Secret Base64(const Attributes& a, const char* name) {
  const std::string& s = Attr(a, name);
  std::string digits;
  size_t pad = 0;
  for (char c : s) {
    if (c == '=') { ++pad; continue; }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (pad || Base64Value(c) < 0) DamagedEncryption();
    digits.push_back(c);
  }
  if (digits.empty() || pad > 2 || digits.size() % 4 == 1) DamagedEncryption();
  Secret out(digits.size() * 3 / 4);
  uint32_t acc = 0;
  size_t bits = 0, n = 0;
  for (char c : digits) {
    acc = acc << 6 | static_cast<uint32_t>(Base64Value(c));
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.data()[n++] = static_cast<uint8_t>(acc >> bits);
    }
  }
  Wipe(digits.data(), digits.size());
  return out;
}

AgileCipherParams Params(const Attributes& a) {
  AgileCipherParams p;
  // 2.3.4.10's ranges; AES is the one cipher Access writes, in CBC.
  p.saltSize = Number(a, "saltSize", 1, 65536);
  p.blockSize = Number(a, "blockSize", 2, 4096);
  p.keyBits = Number(a, "keyBits", 8, 4096);
  p.hashSize = Number(a, "hashSize", 1, 64);
  p.hashAlgorithm = Attr(a, "hashAlgorithm");
  if (Attr(a, "cipherAlgorithm") != "AES" || Attr(a, "cipherChaining") != "ChainingModeCBC")
    DamagedEncryption();
  if (p.blockSize != 16 || (p.keyBits != 128 && p.keyBits != 192 && p.keyBits != 256))
    DamagedEncryption();
  if (!Digest::Known(p.hashAlgorithm) || Digest(p.hashAlgorithm).Size() != p.hashSize) DamagedEncryption();
  p.salt = Base64(a, "saltValue");
  if (p.salt.size() != p.saltSize) DamagedEncryption();
  return p;
}

}  // namespace

AgileDescriptor ParseAgileDescriptor(const char* xml, size_t len) {
  if (len > 64 * 1024) DamagedEncryption();
  Found found;
  XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
  if (!parser) throw std::bad_alloc();
  XML_SetUserData(parser, &found);
  XML_SetStartElementHandler(parser, OnStart);
  const bool parsed = XML_Parse(parser, xml, static_cast<int>(len), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  // One of each: a second keyData or password encryptor is no honest descriptor.
  if (!parsed || found.keyData != 1 || found.encryptedKey != 1) DamagedEncryption();

  AgileDescriptor d;
  d.keyData = Params(found.keyDataAttrs);
  d.password = Params(found.keyAttrs);
  d.spinCount = Number(found.keyAttrs, "spinCount", 0, kMaxSpinCount);
  d.verifierInput = Base64(found.keyAttrs, "encryptedVerifierHashInput");
  d.verifierValue = Base64(found.keyAttrs, "encryptedVerifierHashValue");
  d.encryptedKey = Base64(found.keyAttrs, "encryptedKeyValue");
  // Whole blocks, each long enough for what it holds once decrypted.
  const size_t block = d.password.blockSize;
  auto fits = [block](const Secret& s, size_t least) { return s.size() % block == 0 && s.size() >= least; };
  if (!fits(d.verifierInput, d.password.saltSize) || !fits(d.verifierValue, d.password.hashSize) ||
      !fits(d.encryptedKey, d.keyData.keyBits / 8))
    DamagedEncryption();
  return d;
}

}  // namespace jet
