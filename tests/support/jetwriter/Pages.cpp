#include "support/jetwriter/Pages.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace jetwriter {

void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void Put24(uint8_t* p, uint32_t v) { Put16(p, v); p[2] = uint8_t(v >> 16); }
void Put32(uint8_t* p, uint32_t v) { Put24(p, v); p[3] = uint8_t(v >> 24); }

static std::runtime_error IoError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void Rc4(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length) {
  uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = uint8_t(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[size_t(i) % keyLength]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  for (size_t k = 0, i = 0, j = 0; k < length; ++k) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    data[k] ^= s[(s[i] + s[j]) & 0xFF];
  }
}

PageFile::PageFile(const std::string& path, uint32_t scrambleKey) : path_(path), scrambleKey_(scrambleKey) {
  file_ = std::fopen(path.c_str(), "w+b");
  if (!file_) throw IoError("cannot create", path);
  const size_t size = 1 << 20;  // pages go out in large writes
  buffer_.reset(new char[size]);
  std::setvbuf(file_, buffer_.get(), _IOFBF, size);
}

PageFile::~PageFile() {
  if (file_) std::fclose(file_);
}

void PageFile::Write(uint32_t page, const uint8_t* data) {
  long long at = (long long)page * kPageSize;
  if (at != position_ && fseeko(file_, at, SEEK_SET) != 0) throw IoError("cannot seek in", path_);
  uint8_t scrambled[kPageSize];
  if (scrambleKey_ != 0 && page != 0) {
    uint8_t key[4];
    Put32(key, scrambleKey_ ^ page);
    std::memcpy(scrambled, data, kPageSize);
    Rc4(key, 4, scrambled, kPageSize);
    data = scrambled;
  }
  if (std::fwrite(data, 1, kPageSize, file_) != kPageSize) throw IoError("cannot write", path_);
  position_ = at + kPageSize;
}

void PageFile::Read(uint32_t page, uint8_t* data) {
  position_ = -1;
  if (std::fflush(file_) != 0 || fseeko(file_, (long long)page * kPageSize, SEEK_SET) != 0 ||
      std::fread(data, 1, kPageSize, file_) != kPageSize)
    throw IoError("cannot read back", path_);
  if (scrambleKey_ != 0 && page != 0) {
    uint8_t key[4];
    Put32(key, scrambleKey_ ^ page);
    Rc4(key, 4, data, kPageSize);
  }
}

void PageFile::Close() {
  FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) throw IoError("cannot write", path_);
}

void RowPage::Clear() {
  std::memset(page_, 0, sizeof page_);
  rows_ = 0;
  top_ = kPageSize;
}

bool RowPage::Fits(size_t length, int rows) const {
  size_t header = 14 + 2 * size_t(rows_ + rows);
  return rows_ + rows <= kMaxRows && header + length <= top_;
}

int RowPage::Add(const uint8_t* row, size_t length, uint16_t flags) {
  if (!Fits(length)) throw std::logic_error("row does not fit in the page");
  top_ -= length;
  std::memcpy(page_ + top_, row, length);
  Put16(page_ + 14 + 2 * rows_, uint32_t(top_) | flags);
  return rows_++;
}

const uint8_t* RowPage::Bytes() {
  page_[0] = 0x01;
  page_[1] = 0x01;
  Put16(page_ + 2, uint32_t(top_ - (14 + 2 * rows_)));  // free space
  Put32(page_ + 4, owner_);
  Put16(page_ + 12, uint32_t(rows_));
  return page_;
}

constexpr size_t kMapRowSize = 69;
constexpr uint32_t kBitsPerMapPage = (kPageSize - 4) * 8;

std::vector<uint8_t> EmptyUsageMap() { return std::vector<uint8_t>(kMapRowSize, 0); }

std::vector<uint8_t> UsageMap(std::vector<uint32_t> pages, PageFile& file) {
  std::vector<uint8_t> map(kMapRowSize, 0);
  if (pages.empty()) return map;
  std::sort(pages.begin(), pages.end());
  uint32_t first = pages.front(), last = pages.back();
  if (last - first < (kMapRowSize - 5) * 8) {
    Put32(&map[1], first);
    for (uint32_t p : pages) map[5 + (p - first) / 8] |= uint8_t(1u << ((p - first) % 8));
    return map;
  }
  map[0] = 0x01;
  uint32_t maps = last / kBitsPerMapPage + 1;
  if (maps > (kMapRowSize - 1) / 4) throw std::runtime_error("table too large for its usage map");
  size_t next = 0;
  for (uint32_t m = first / kBitsPerMapPage; m < maps; ++m) {
    uint8_t bitmap[kPageSize] = {0x05, 0x01};
    uint32_t end = (m + 1) * kBitsPerMapPage;
    bool any = false;
    for (; next < pages.size() && pages[next] < end; ++next) {
      uint32_t bit = pages[next] - m * kBitsPerMapPage;
      bitmap[4 + bit / 8] |= uint8_t(1u << (bit % 8));
      any = true;
    }
    if (!any) continue;
    uint32_t at = file.Allocate();
    file.Write(at, bitmap);
    Put32(&map[1 + 4 * m], at);
  }
  return map;
}

}  // namespace jetwriter
