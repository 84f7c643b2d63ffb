#include "platform/jet/file/IndexEntries.h"

#include "platform/jet/file/JetText.h"

namespace jet {

namespace {

struct Physical {
  std::vector<IndexColumnRef> columns;
  uint8_t flags = 0;
};

// Jet 4 puts 4 bytes before the column slots and 9 after the flags.
size_t PhysicalSize(const JetFormat& f) { return f.jet4 ? 52 : 39; }
size_t LogicalSize(const JetFormat& f) { return f.jet4 ? 28 : 20; }

}  // namespace

std::vector<IndexEntry> ReadIndexEntries(const JetFormat& f, const std::vector<uint8_t>& b, size_t* pos,
                                         uint32_t physical, uint32_t logical, CodePageDecoder& names) {
  auto need = [&](size_t end) { if (end > b.size()) Damaged(); };
  size_t p = *pos;
  need(p + static_cast<size_t>(physical) * PhysicalSize(f));
  std::vector<Physical> entries(physical);
  for (Physical& e : entries) {
    const uint8_t* s = &b[p + (f.jet4 ? 4 : 0)];
    for (int slot = 0; slot < 10; ++slot, s += 3) {
      const uint16_t number = Get16(s);
      if (number == 0xFFFF) continue;
      // Order byte: 0x01 ascending; Access writes 0x02 for a descending column.
      e.columns.push_back({number, s[2] != 0x01});
    }
    e.flags = b[p + (f.jet4 ? 4 : 0) + 30 + 8];
    p += PhysicalSize(f);
  }
  need(p + static_cast<size_t>(logical) * LogicalSize(f));
  std::vector<IndexEntry> out(logical);
  for (IndexEntry& e : out) {
    const uint8_t* s = &b[p + (f.jet4 ? 4 : 0)];
    const uint32_t which = Get32(s + 4);
    if (which >= physical) Damaged();
    const Physical& ph = entries[which];
    e.columns = ph.columns;
    e.unique = (ph.flags & 0x01) != 0;
    e.ignoreNulls = (ph.flags & 0x02) != 0;
    e.required = (ph.flags & 0x08) != 0;
    const uint8_t type = s[19];
    e.primaryKey = type == 0x01;
    e.foreignKey = type == 0x02;
    p += LogicalSize(f);
  }
  for (IndexEntry& e : out) {
    if (f.jet4) {
      need(p + 2);
      const uint32_t len = Get16(&b[p]);
      need(p + 2 + len);
      AppendJet4Text(&b[p + 2], len, &e.name);
      p += 2 + len;
    } else {
      need(p + 1);
      const uint32_t len = b[p];
      need(p + 1 + len);
      names.Append(&b[p + 1], len, &e.name);
      p += 1 + len;
    }
  }
  *pos = p;
  return out;
}

}  // namespace jet
