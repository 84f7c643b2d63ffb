// How a file is protected, as its header page tells: Jet's database password,
// and Office encryption (the EncryptionInfo stream after an .accdb's header). The
// schemes' offsets, derivations and checks are in design.md, "Protected files";
// the hashes and ciphers are MS-OFFCRYPTO's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include "platform/jet/file/PageCipher.h"

namespace jet {

struct JetFormat;

// JET_E_PASSWORD, described as "no password given" (an empty one is none) or as
// "the password is not correct".
[[noreturn]] void RefusePassword(const std::string& given);
// E_FAIL, described as a damaged encryption header: a descriptor no honest file holds.
[[noreturn]] void DamagedEncryption();

// Office encryption, its EncryptionInfo read and checked, waiting for a password.
class OfficeEncryption {
 public:
  virtual ~OfficeEncryption() = default;
  // The decryption of the pages with this password (UTF-8), whose verifier it
  // checks first: RefusePassword when it does not open the file.
  virtual std::unique_ptr<PageCipher> Unlock(const std::string& password, uint32_t pageKey) const = 0;
};

// Reads the EncryptionInfo of an .accdb's header page (header mask removed): its
// length at 0x299, the stream at 0x29B. Null when the file has none. A stream no
// honest file holds, or none where the header's page key says the pages are
// encrypted, is DamagedEncryption.
std::unique_ptr<OfficeEncryption> ReadOfficeEncryption(const uint8_t* page0, size_t pageSize);
// The two kinds of stream, from their first byte (the version) on.
std::unique_ptr<OfficeEncryption> ReadStandardEncryption(const uint8_t* info, size_t len);
std::unique_ptr<OfficeEncryption> ReadAgileEncryption(const uint8_t* info, size_t len);

// Jet 3 and Jet 4's database password, in the header (mask removed): compared with
// `password`, exactly as stored (Jet 3 in the file's code page, Jet 4 in UTF-16).
// RefusePassword when they differ; E_FAIL when the area holds no password at all.
void CheckDatabasePassword(const uint8_t* head, const JetFormat& format, uint16_t codePage,
                           const std::string& password);

}  // namespace jet
