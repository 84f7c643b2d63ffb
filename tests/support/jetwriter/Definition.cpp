#include "support/jetwriter/Definition.h"
#include <cmath>
#include <cstring>
#include <stdexcept>
#include "support/jetwriter/Text.h"

namespace jetwriter {

using jet::AccessType;

std::vector<uint8_t> TableDefinitionPage(const TableLayout& t, const TableFacts& f) {
  std::vector<uint8_t> p(63, 0);
  p[0] = 0x02;
  p[1] = 0x01;
  Put32(&p[16], f.rowCount);
  Put32(&p[28], f.nextComplexKey);
  p[40] = f.system ? 0x53 : 0x4E;
  uint32_t n = uint32_t(t.columns.size());
  Put16(&p[41], n);  // columns a row may have
  Put16(&p[43], uint32_t(t.varCount));
  Put16(&p[45], n);
  // 47: logical indexes, 51: index entries: none
  Put32(&p[55], f.usageMap);
  Put32(&p[59], f.freeMap);
  // Entries and names in number order, except those defined first.
  std::vector<const ColumnLayout*> order;
  for (const ColumnLayout& c : t.columns) if (c.def.definedFirst) order.push_back(&c);
  for (const ColumnLayout& c : t.columns) if (!c.def.definedFirst) order.push_back(&c);
  for (const ColumnLayout* entry : order) {
    const ColumnLayout& c = *entry;
    uint8_t e[25] = {};
    e[0] = uint8_t(c.def.type);
    Put16(e + 5, uint32_t(c.number));
    Put16(e + 7, uint32_t(c.varIndex));
    Put16(e + 9, uint32_t(c.number));
    if (c.def.type == kComplex) {
      Put32(e + 11, uint32_t(c.complexId));  // its row in MSysComplexColumns
    } else if (c.def.type == AccessType::Decimal) {
      e[11] = uint8_t(c.def.precision);
      e[12] = uint8_t(c.def.scale);
    } else {
      Put16(e + 11, 0x0409);  // General sort order (Access writes it for most types)
    }
    // Fixed length (complex columns add 0x04, their keys count up); may be null.
    e[15] = c.def.type == kComplex ? 0x07 : c.fixed ? 0x03 : 0x02;
    if (c.def.autoNumber) e[15] |= 0x04;
    if (c.def.compressed) e[16] |= 0x01;  // Unicode compression
    if (c.def.calculated) e[16] |= 0xC0;
    Put16(e + 21, uint32_t(c.fixedOffset));
    Put16(e + 23, uint32_t(c.size));
    p.insert(p.end(), e, e + 25);
  }
  std::vector<uint8_t> name;
  for (const ColumnLayout* c : order) {
    name.clear();
    AppendUtf16(c->def.name, name);
    uint8_t len[2];
    Put16(len, uint32_t(name.size()));
    p.insert(p.end(), len, len + 2);
    p.insert(p.end(), name.begin(), name.end());
  }
  p.push_back(0xFF);  // no columns with usage maps of their own
  p.push_back(0xFF);
  if (p.size() > kPageSize) throw std::runtime_error("table definition does not fit in a page");
  Put32(&p[8], uint32_t(p.size() - 8));
  Put16(&p[2], uint32_t(kPageSize - p.size()));
  p.resize(kPageSize, 0);
  return p;
}

std::vector<uint8_t> DatabaseDefinitionPage(double created, FileFormat format) {
  std::vector<uint8_t> p(kPageSize, 0);
  p[1] = 0x01;
  std::memcpy(&p[4], format.Ace() ? "Standard ACE DB" : "Standard Jet DB", 16);
  p[0x14] = format.version;
  Put16(&p[0x3C], 1252);
  Put32(&p[0x3E], format.scrambleKey);
  // 0x42: the password, 40 bytes of UTF-16 padded with zeros, stored XOR the whole
  // days of the creation date; an empty password leaves the mask alone.
  uint8_t mask[4];
  Put32(mask, uint32_t(int32_t(std::floor(created))));
  const std::string password = format.password ? format.password : "";
  if (password.size() > 20 || (format.Ace() && !password.empty()))
    throw std::runtime_error("a password of up to 20 characters, .mdb only");
  for (size_t i = 0; i < password.size(); ++i) p[0x42 + 2 * i] = uint8_t(password[i]);
  for (int a = 0x42; a < 0x42 + 40; ++a) p[size_t(a)] ^= mask[(a - 0x42) % 4];
  Put16(&p[0x6E], 0x0409);  // General sort order
  std::memcpy(&p[0x72], &created, 8);
  const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(key, 4, &p[0x18], 128);
  return p;
}

}  // namespace jetwriter
