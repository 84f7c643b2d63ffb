// Pages of a Jet 4 file as the writer builds them: the file itself (pages written
// at their place, in any order), and a page of rows (data and LVAL pages share
// one layout: a header, a row offset table growing forward, rows growing back
// from the end of the page).
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace jetwriter {

constexpr size_t kPageSize = 4096;

void Put16(uint8_t* p, uint32_t v);
void Put24(uint8_t* p, uint32_t v);
void Put32(uint8_t* p, uint32_t v);

// RC4 over data in place: Jet masks its header with it and scrambles pages with it.
void Rc4(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length);

class PageFile {
 public:
  // Creates or truncates; throws. A non-zero scrambleKey codes every page but page 0
  // with RC4 under the key scrambleKey ^ page number, as Jet's page scrambling does.
  explicit PageFile(const std::string& path, uint32_t scrambleKey = 0);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  uint32_t Allocate() { return next_++; }
  uint32_t PageCount() const { return next_; }
  void Write(uint32_t page, const uint8_t* data);  // kPageSize bytes; throws
  void Read(uint32_t page, uint8_t* data);         // a page written before; throws
  void Close();                                    // flushes; throws

 private:
  std::string path_;
  uint32_t scrambleKey_;
  FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  uint32_t next_ = 0;
  long long position_ = -1;  // where the next sequential write lands, to skip seeks
};

// A row pointer as Jet keeps it: row number in the low byte, page above it.
inline uint32_t RowPointer(uint32_t page, int row) { return (page << 8) | uint32_t(row); }

class RowPage {
 public:
  // owner: the table definition page for a data page, or kLvalOwner.
  static constexpr uint32_t kLvalOwner = 0x4C41564C;  // "LVAL"
  static constexpr int kMaxRows = 255;                // a row pointer has one byte for it
  static constexpr size_t kMaxRow = kPageSize - 14 - 2;  // the most one row may take

  explicit RowPage(uint32_t owner) : owner_(owner) { Clear(); }
  void Clear();
  bool Empty() const { return rows_ == 0; }
  bool Fits(size_t length, int rows = 1) const;  // `rows` rows of `length` bytes in all
  int Rows() const { return rows_; }
  // Row offset flags as Access sets them: a deleted row has both bits; a row that
  // overflowed leaves a 4-byte pointer flagged kOverflow in its place and its data
  // elsewhere flagged kMoved, so that a plain scan of that page passes it by.
  static constexpr uint16_t kDeleted = 0xC000, kOverflow = 0x4000, kMoved = 0x8000;
  int Add(const uint8_t* row, size_t length, uint16_t flags = 0);  // returns the row number
  const uint8_t* Bytes();                      // the finished page

 private:
  uint32_t owner_;
  int rows_ = 0;
  size_t top_ = kPageSize;  // start of the lowest row
  uint8_t page_[kPageSize];
};

// A table's usage map row: type 0 (a bitmap inside the row) when its pages span at
// most 512 pages, else type 1 (pointers to 0x05 bitmap pages, which are allocated
// and written here). Both forms take 69 bytes, as Access writes them.
std::vector<uint8_t> UsageMap(std::vector<uint32_t> pages, PageFile& file);
// An empty type 0 map: the table's free-space map (nothing to insert into).
std::vector<uint8_t> EmptyUsageMap();

}  // namespace jetwriter
