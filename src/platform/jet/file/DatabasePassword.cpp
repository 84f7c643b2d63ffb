// Jet's database password: kept in the header, masked, and only compared.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include "platform/jet/file/Crypto.h"
#include "platform/jet/file/JetText.h"
#include "platform/jet/file/Pager.h"
#include "platform/jet/file/Protection.h"

namespace jet {

void CheckDatabasePassword(const uint8_t* head, const JetFormat& format, uint16_t codePage,
                           const std::string& password) {
  // Jet 3 keeps it plain, Jet 4 masks it further with the integer part of the
  // creation date. A database without one has all zeros once unmasked; one with a
  // password has its characters, then zeros to the end of the area. Anything else
  // is no password but a damaged header.
  std::vector<uint16_t> stored;  // Jet 4: UTF-16 units; Jet 3: bytes
  if (format.jet4) {
    uint8_t mask[4] = {0, 0, 0, 0};
    double created;
    std::memcpy(&created, head + 0x72, 8);
    if (std::isfinite(created) && created > -2147483648.0 && created < 2147483648.0) {
      const int32_t day = static_cast<int32_t>(std::floor(created));
      std::memcpy(mask, &day, 4);
    }
    // The mask is aligned to 0x42, where the password starts.
    for (int i = 0; i < 40; i += 2) {
      const uint8_t lo = head[0x42 + i] ^ mask[i % 4], hi = head[0x43 + i] ^ mask[(i + 1) % 4];
      stored.push_back(static_cast<uint16_t>(lo | hi << 8));
    }
  } else {
    stored.assign(head + 0x42, head + 0x42 + 20);
  }
  const auto end = std::find(stored.begin(), stored.end(), 0);
  if (std::any_of(end, stored.end(), [](uint16_t c) { return c != 0; })) Damaged();
  stored.erase(end, stored.end());
  if (stored.empty()) return;  // no password: Jet opens it whatever is given

  // The given password in the stored form: Jet 4 compares UTF-16, Jet 3 the
  // stored bytes read in the file's code page against the given text.
  bool same;
  if (format.jet4) {
    const Secret given = Utf16Password(password);
    same = given.size() == 2 * stored.size();
    for (size_t i = 0; same && i < stored.size(); ++i)
      same = Get16(given.data() + 2 * i) == stored[i];
  } else {
    std::vector<uint8_t> bytes(stored.begin(), stored.end());
    std::string text;
    CodePageDecoder(codePage).Append(bytes.data(), bytes.size(), &text);
    same = text == password;
    Wipe(bytes.data(), bytes.size());
    Wipe(text.data(), text.size());
  }
  Wipe(stored.data(), stored.size() * sizeof(uint16_t));
  if (!same) RefusePassword(password);
}

}  // namespace jet
