// How the pages of a protected file are decrypted as they are read: one
// implementation per scheme, each deriving page N's key or IV from the header's
// page key XOR N. Page 0, the header, is never encrypted; no decrypted copy of the
// file is kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace jet {

class PageCipher {
 public:
  virtual ~PageCipher() = default;
  // Decrypts page `page` (not 0) in place; size is the page size.
  virtual void Decrypt(uint32_t page, uint8_t* data, size_t size) const = 0;
};

// Jet's own page encoding ("Encrypt Database"): RC4 keyed with the 4 bytes of
// (pageKey XOR N). No password.
std::unique_ptr<PageCipher> JetRc4Pages(uint32_t pageKey);

}  // namespace jet
