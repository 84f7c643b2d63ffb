#include "support/Damager.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace damager {

const Family kFamilies[6] = {Family::ZeroedPage, Family::SwappedPage, Family::RowOffsets,
                             Family::UsageMap, Family::LongValuePage, Family::CatalogPage};

const char* FamilyName(Family family) {
  switch (family) {
    case Family::ZeroedPage: return "zeroed page";
    case Family::SwappedPage: return "page swapped";
    case Family::RowOffsets: return "row offsets broken";
    case Family::UsageMap: return "usage map broken";
    case Family::LongValuePage: return "long-value chain broken";
    case Family::CatalogPage: return "catalog page zeroed";
    case Family::TableDefinition: return "table definition zeroed";
  }
  return "";
}

static uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
static uint32_t Get32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
static bool IsLval(const uint8_t* page) { return page[0] == 0x01 && std::memcmp(page + 4, "LVAL", 4) == 0; }
static bool IsData(const uint8_t* page) { return page[0] == 0x01 && !IsLval(page); }
static uint32_t RowCountOffset(const File& f) { return f.jet4 ? 12 : 8; }

File Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  File f;
  f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (f.bytes.size() < 4096 || std::memcmp(f.bytes.data() + 4, "Standard ", 9) != 0)
    throw std::runtime_error(path + ": not a Jet file");
  f.jet4 = f.bytes[0x14] != 0;
  f.pageSize = f.jet4 ? 4096 : 2048;
  // The page key at 0x3E lies under the header's fixed RC4 mask; any page scrambling
  // or encryption shows as a page 2 that is no table definition.
  if (f.bytes.size() % f.pageSize != 0 || f.Page(2)[0] != 0x02)
    throw std::runtime_error(path + ": pages not plain");
  return f;
}

void Save(const File& file, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
  if (!out.flush()) throw std::runtime_error(path + ": cannot write");
}

uint32_t OwnerOf(const File& file, uint32_t page) { return Get32(file.Page(page) + 4); }

uint32_t LiveRows(const File& file, uint32_t page) {
  const uint8_t* p = file.Page(page);
  const uint32_t rows = Get16(p + RowCountOffset(file));
  uint32_t n = 0;
  for (uint32_t r = 0; r < rows && RowCountOffset(file) + 4 + 2 * r <= file.pageSize; ++r)
    n += !(Get16(p + RowCountOffset(file) + 2 + 2 * r) & 0x8000);
  return n;
}

std::vector<uint32_t> Targets(const File& file, Family family) {
  std::vector<uint32_t> out;
  for (uint32_t page = 3; page < file.Pages(); ++page) {
    const uint8_t* p = file.Page(page);
    switch (family) {
      case Family::ZeroedPage:
      case Family::SwappedPage:
      case Family::RowOffsets:
        if (IsData(p) && OwnerOf(file, page) > 2 && OwnerOf(file, page) < file.Pages() &&
            LiveRows(file, page) >= (family == Family::RowOffsets ? 2u : 1u))
          out.push_back(page);
        break;
      case Family::UsageMap:
      case Family::TableDefinition:
        // A definition that owns a data page with rows: a table to be read.
        if (p[0] == 0x02) {
          for (uint32_t d = 3; d < file.Pages(); ++d)
            if (IsData(file.Page(d)) && OwnerOf(file, d) == page && LiveRows(file, d) > 0) {
              out.push_back(page);
              break;
            }
        }
        break;
      case Family::LongValuePage:
        if (IsLval(p)) out.push_back(page);
        break;
      case Family::CatalogPage:
        if (IsData(p) && OwnerOf(file, page) == 2) out.push_back(page);
        break;
    }
  }
  return out;
}

void Damage(File& file, Family family, uint32_t target) {
  uint8_t* p = file.Page(target);
  switch (family) {
    case Family::ZeroedPage:
    case Family::LongValuePage:
    case Family::CatalogPage:
    case Family::TableDefinition:
      std::memset(p, 0, file.pageSize);
      return;
    case Family::SwappedPage: {
      // With a data page of another table, else with a long-value page.
      const uint32_t owner = OwnerOf(file, target);
      uint32_t other = 0;
      for (uint32_t page = 3; page < file.Pages() && !other; ++page)
        if (IsData(file.Page(page)) && OwnerOf(file, page) != owner) other = page;
      for (uint32_t page = 3; page < file.Pages() && !other; ++page)
        if (IsLval(file.Page(page))) other = page;
      if (!other) throw std::runtime_error("no page to swap with");
      std::vector<uint8_t> keep(p, p + file.pageSize);
      std::memcpy(p, file.Page(other), file.pageSize);
      std::memcpy(file.Page(other), keep.data(), file.pageSize);
      return;
    }
    case Family::RowOffsets: {
      const uint32_t at = RowCountOffset(file) + 2, rows = Get16(p + at - 2);
      for (uint32_t r = 1; r < rows; r += 2) {
        const uint16_t raw = static_cast<uint16_t>((Get16(p + at + 2 * r) & 0xE000) | 0x1FFF);
        p[at + 2 * r] = static_cast<uint8_t>(raw);
        p[at + 2 * r + 1] = static_cast<uint8_t>(raw >> 8);
      }
      return;
    }
    case Family::UsageMap: {
      // The map row the definition points to, given a kind byte no map has.
      const uint32_t pointer = Get32(p + (file.jet4 ? 55 : 35));
      const uint32_t page = pointer >> 8, row = pointer & 0xFF;
      if (page >= file.Pages()) throw std::runtime_error("usage map outside the file");
      uint8_t* m = file.Page(page);
      const uint32_t offset = Get16(m + RowCountOffset(file) + 2 + 2 * row) & 0x1FFF;
      if (offset >= file.pageSize) throw std::runtime_error("usage map row outside its page");
      m[offset] = 0x7F;
      return;
    }
  }
}

}  // namespace damager
