#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/PageCipher.h"
#include "platform/jet/file/Pager.h"

namespace jet {
namespace {

class JetRc4 : public PageCipher {
 public:
  explicit JetRc4(uint32_t pageKey) : m_pageKey(pageKey) {}
  void Decrypt(uint32_t page, uint8_t* data, size_t size) const override {
    uint8_t key[4];
    PutLE32(m_pageKey ^ page, key);
    Rc4(key, 4, data, size);
  }

 private:
  uint32_t m_pageKey;
};

}  // namespace

std::unique_ptr<PageCipher> JetRc4Pages(uint32_t pageKey) { return std::make_unique<JetRc4>(pageKey); }

}  // namespace jet
