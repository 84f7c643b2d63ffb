// The file as a run of fixed-size pages, read with pread and checked at every step.
// Internal to the reader: nothing here trusts a number that came out of the file.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "platform/com/ComError.h"
#include "platform/jet/file/PageCipher.h"
#include "platform/jet/file/Damage.h"
#include "platform/jet/file/SalvageLog.h"

namespace jet {

// Every inconsistency found in the file ends here: the provider's "damaged" error.
[[noreturn]] inline void Damaged() { throw _com_error(E_FAIL); }

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Get24(const uint8_t* p) { return p[0] | p[1] << 8 | static_cast<uint32_t>(p[2]) << 16; }
inline uint32_t Get32(const uint8_t* p) {
  uint32_t v; std::memcpy(&v, p, 4); return v;  // the platform is little-endian
}

// The layout constants that differ between Jet 3 (Access 97) and Jet 4 (2000-2003).
class OfficeEncryption;

struct JetFormat {
  bool jet4 = true;
  bool ace = false;  // an .accdb (Access 2007-2019): Jet 4's layout, a few more column types
  uint32_t pageSize = 4096;
  uint32_t dataRowCountOffset = 12;  // data page: number of rows, then the offset table
  // Table definition block.
  uint32_t tdefRowCount = 16, tdefVarCols = 43, tdefNumCols = 45, tdefRealIdx = 51,
           tdefUsageMap = 55, tdefColsStart = 63, realIdxEntry = 12, colEntry = 25;
  // Column entry.
  uint32_t colNum = 5, colVarOffset = 7, colPrecision = 11, colScale = 12, colFlags = 15,
           colFixedOffset = 21, colSize = 23;
  // Jet 4 and later: a complex column's id sits where precision and scale are; the
  // byte after the flags marks calculated columns (0xC0) and compressed text (0x01).
  uint32_t colComplexId = 11, colMoreFlags = 16;
  static JetFormat Jet3();
  static JetFormat Jet4() { return JetFormat(); }
};

class Pager {
 public:
  // Opens the file and reads its header, with the description of its protection.
  // Throws E_FAIL, also for a header its file does not fit (size) or a damaged
  // encryption header. No page but the header is read before Unlock.
  explicit Pager(const std::string& path);
  ~Pager();
  Pager(const Pager&) = delete;
  Pager& operator=(const Pager&) = delete;

  // Opens the pages with the database password (UTF-8; empty when none is given)
  // and checks the catalog's page. Throws JET_E_PASSWORD when the file needs
  // another password, E_FAIL for a catalog page its version does not fit or a
  // password area that holds no password.
  void Unlock(const std::string& password);

  const JetFormat& Format() const { return m_format; }
  uint32_t PageCount() const { return m_pageCount; }
  uint32_t PageSize() const { return m_format.pageSize; }
  // The code page of Jet 3 text (from the header, else from its sort order).
  uint16_t CodePage() const { return m_codePage; }
  // Reads page `page` into buf (PageSize() bytes). E_FAIL for a page outside the file.
  void Read(uint32_t page, uint8_t* buf) const;
  // Reads `count` pages from `first` on into buf (count * PageSize() bytes) at
  // once: a scan reads its table's pages in runs, one call for many pages.
  void ReadRun(uint32_t first, uint32_t count, uint8_t* buf) const;
  // Salvage mode, chosen when the file is opened: the log of what damage cost, or
  // null when the first damage ends the read.
  void SetSalvage(std::shared_ptr<SalvageLog> log) { m_salvage = std::move(log); }
  SalvageLog* Salvage() const { return m_salvage.get(); }
  // A file cut short ends partway through a page: damage that names the page; in
  // salvage mode that page is dropped, and the loss logged. Called once the mode
  // is set.
  void CheckWholePages();

 private:
  void ReadHeader();
  int m_fd = -1;
  JetFormat m_format;
  uint32_t m_pageCount = 0;                 // whole pages
  uint32_t m_cutBytes = 0;                  // the bytes of a page cut short after them
  uint16_t m_codePage = 1252;
  uint32_t m_pageKey = 0;                   // the header's key for the pages' keys
  std::vector<uint8_t> m_header;            // its first bytes (mask removed): the password
  std::unique_ptr<OfficeEncryption> m_office;  // an .accdb's encryption, until Unlock
  std::unique_ptr<PageCipher> m_cipher;     // none: the pages are stored plain
  std::shared_ptr<SalvageLog> m_salvage;
};

// A page-sized buffer that remembers which page it holds, so rereads cost nothing.
class PageBuffer {
 public:
  explicit PageBuffer(const Pager& pager) : m_pager(pager), m_data(pager.PageSize()) {}
  const uint8_t* Load(uint32_t page) {
    if (page != m_page) {
      m_page = UINT32_MAX;
      m_pager.Read(page, m_data.data());
      m_page = page;
    }
    return m_data.data();
  }
  const uint8_t* Data() const { return m_data.data(); }
  uint32_t Size() const { return static_cast<uint32_t>(m_data.size()); }

 private:
  const Pager& m_pager;
  std::vector<uint8_t> m_data;
  uint32_t m_page = UINT32_MAX;
};

// The bytes [begin, end) of one row on a data page (page-relative offsets).
struct RowSpan {
  uint32_t begin = 0, end = 0;
};

// Locates row `row` on a data page already in `page` (whose rows CheckDataPage has
// checked). Returns false when the row is deleted; sets *lookup when the row only
// holds a pointer to the row's real place.
bool LocateRow(const JetFormat& f, const uint8_t* page, uint32_t row, RowSpan* span, bool* lookup);
// Number of rows on a data page, checked against the page size.
uint32_t RowCountOnPage(const JetFormat& f, const uint8_t* page);
// Checks a page read as a data or long-value page: its type, its owner (the
// table-definition page, or "LVAL"; kAnyOwner takes any), and its row offsets: inside
// the page, each row below the one before it, and the space left above the offset
// table the free space the page records. Throws Damage naming `page` and `kind`.
// Returns the row count.
constexpr uint32_t kAnyOwner = UINT32_MAX;
constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"
uint32_t CheckDataPage(const JetFormat& f, const uint8_t* data, uint32_t page, uint32_t owner,
                       PageKind kind = PageKind::Data);
// The records a data page holds: its rows that are not marked deleted (a moved
// record's row is its pointer, which counts; the moved row itself is marked).
uint32_t LiveRowsOnPage(const JetFormat& f, const uint8_t* page);

// Follows a data pointer (page << 8 | row) to the row it names, loading its page into
// buf and checking it as CheckDataPage does. Used for overflow rows, long values and
// usage maps. Damage names the page it leads to.
RowSpan FollowPointer(const Pager& pager, PageBuffer& buf, uint32_t pointer, uint32_t owner, PageKind kind);

void Rc4(const uint8_t* key, size_t keyLen, uint8_t* data, size_t len);

}  // namespace jet
