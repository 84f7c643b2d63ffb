#include "platform/jet/file/Protection.h"

#include "platform/com/ComError.h"
#include "platform/com/Translate.h"
#include "platform/jet/file/Pager.h"

namespace jet {

void RefusePassword(const std::string& given) {
  throw _com_error(JET_E_PASSWORD, given.empty() ? _("数据库受密码保护") : _("密码不正确"));
}

void DamagedEncryption() { throw _com_error(E_FAIL, _("文件的加密头已损坏")); }

std::unique_ptr<OfficeEncryption> ReadOfficeEncryption(const uint8_t* page0, size_t pageSize) {
  const size_t len = Get16(page0 + 0x299);
  const bool keyed = Get32(page0 + 0x3E) != 0;
  if (len == 0) {
    if (keyed) DamagedEncryption();  // encrypted pages, and nothing to decrypt them with
    return nullptr;
  }
  if (0x29B + len > pageSize || len < 8) DamagedEncryption();
  const uint8_t* info = page0 + 0x29B;
  const uint16_t major = Get16(info), minor = Get16(info + 2);
  // 2.3.4.10: 4.4 is agile; 2.3.4.5: 2.2, 3.2 and 4.2 are the CryptoAPI header.
  if (major == 4 && minor == 4) return ReadAgileEncryption(info, len);
  if (major >= 2 && major <= 4 && minor == 2) return ReadStandardEncryption(info, len);
  DamagedEncryption();
}

}  // namespace jet
