#include "platform/jet/file/Properties.h"

#include <cstring>
#include "platform/jet/file/JetText.h"

namespace jet {

namespace {

struct Reader {
  const std::vector<uint8_t>& b;
  bool jet4;
  CodePageDecoder& codePage;
  void Need(size_t end) const { if (end > b.size()) Damaged(); }
  std::string Text(size_t at, size_t len) const {
    Need(at + len);
    std::string out;
    if (jet4) AppendJet4Text(&b[at], len, &out);
    else codePage.Append(&b[at], len, &out);
    return out;
  }
};

// One value chunk's entries into *props: u16 length (with itself), u8 DDL flag,
// u8 type, u16 name index, u16 value length, the value.
void ReadValues(const Reader& r, size_t at, size_t end, const std::vector<std::string>& names,
                ObjectProperties* props) {
  while (at + 8 <= end) {
    const size_t len = Get16(&r.b[at]);
    if (len < 8 || at + len > end) Damaged();
    const uint8_t type = r.b[at + 3];
    const size_t nameIndex = Get16(&r.b[at + 4]);
    const size_t valueLen = Get16(&r.b[at + 6]);
    if (nameIndex >= names.size() || 8 + valueLen > len) Damaged();
    const std::string& name = names[nameIndex];
    const size_t value = at + 8;
    const bool text = type == 0x0A || type == 0x0C;
    if (name == "Required" && type == 0x01 && valueLen >= 1) props->required = r.b[value] != 0;
    else if (name == "DefaultValue" && text) props->defaultValue = r.Text(value, valueLen);
    else if (name == "Description" && text) props->description = r.Text(value, valueLen);
    at += len;
  }
}

}  // namespace

TableProperties ParseProperties(const std::vector<uint8_t>& blob, bool jet4, CodePageDecoder& names) {
  TableProperties out;
  if (blob.empty()) return out;
  Reader r{blob, jet4, names};
  r.Need(4);
  if (std::memcmp(blob.data(), jet4 ? "MR2" : "KKD", 4) != 0) Damaged();
  std::vector<std::string> propertyNames;
  bool first = true;
  for (size_t at = 4; at + 6 <= blob.size();) {
    const size_t len = Get32(&blob[at]);
    const uint16_t type = Get16(&blob[at + 4]);
    if (len < 6 || at + len > blob.size()) Damaged();
    const size_t end = at + len;
    if (type == 0x80) {
      for (size_t p = at + 6; p + 2 <= end;) {
        const size_t n = Get16(&blob[p]);
        if (p + 2 + n > end) Damaged();
        propertyNames.push_back(r.Text(p + 2, n));
        p += 2 + n;
      }
    } else if (type == 0x00 || type == 0x01) {
      // u32 header length (from here), u16 name length, the name of the object.
      r.Need(at + 12);
      const size_t head = Get32(&blob[at + 6]);
      const size_t nameLen = Get16(&blob[at + 10]);
      if (head < 6 + nameLen || at + 6 + head > end) Damaged();
      const std::string object = r.Text(at + 12, nameLen);
      // The first value chunk is the table's own; each later one is a column's.
      ObjectProperties* props = first && type == 0x00 ? &out.table : &out.columns[object];
      first = false;
      ReadValues(r, at + 6 + head, end, propertyNames, props);
    }
    at = end;
  }
  return out;
}

}  // namespace jet
