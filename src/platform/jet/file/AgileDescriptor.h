// The XML EncryptionDescriptor of agile encryption (MS-OFFCRYPTO 2.3.4.10), read
// with expat: the keyData element and the password key encryptor's encryptedKey.
// Every number is checked against what an honest file can hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "platform/jet/file/Crypto.h"

namespace jet {

struct AgileCipherParams {
  size_t saltSize = 0, blockSize = 0, keyBits = 0, hashSize = 0;
  std::string hashAlgorithm;  // a Digest name
  Secret salt;
};

struct AgileDescriptor {
  AgileCipherParams keyData;   // the pages' encryption
  AgileCipherParams password;  // the key encryptor's
  uint32_t spinCount = 0;
  Secret verifierInput, verifierValue, encryptedKey;
};

// Parses the XML (len bytes, its own declaration first). DamagedEncryption for a
// document over 64 KiB, one expat does not accept, a missing element or attribute,
// a cipher other than AES-CBC, or sizes that do not fit one another.
AgileDescriptor ParseAgileDescriptor(const char* xml, size_t len);

}  // namespace jet
