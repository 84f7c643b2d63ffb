// Opening the file, its header page (version, code page, password, page key) and
// bounds-checked page and row access.
#include "platform/jet/file/Pager.h"

#include "platform/jet/file/Protection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include "platform/com/Causes.h"
#include "platform/com/Printf.h"
#include "platform/com/Translate.h"

namespace jet {

JetFormat JetFormat::Jet3() {
  JetFormat f;
  f.jet4 = false;
  f.pageSize = 2048;
  f.dataRowCountOffset = 8;
  f.tdefRowCount = 12; f.tdefVarCols = 23; f.tdefNumCols = 25; f.tdefRealIdx = 31;
  f.tdefUsageMap = 35; f.tdefColsStart = 43; f.realIdxEntry = 8; f.colEntry = 18;
  f.colNum = 1; f.colVarOffset = 3; f.colPrecision = 9; f.colScale = 10; f.colFlags = 13;
  f.colFixedOffset = 14; f.colSize = 16;
  return f;
}

void Rc4(const uint8_t* key, size_t keyLen, uint8_t* data, size_t len) {
  // Every page of an encoded or RC4-encrypted file passes here: the state in 32-bit
  // cells and the indexes as bytes, which wrap by themselves.
  uint32_t s[256];
  for (uint32_t i = 0; i < 256; ++i) s[i] = i;
  for (uint32_t i = 0, j = 0, k = 0; i < 256; ++i) {
    const uint32_t si = s[i];
    j = (j + si + key[k]) & 0xFF;
    s[i] = s[j];
    s[j] = si;
    if (++k == keyLen) k = 0;
  }
  uint8_t i = 0, j = 0;
  for (size_t n = 0; n < len; ++n) {
    ++i;
    const uint32_t si = s[i];
    j = static_cast<uint8_t>(j + si);
    const uint32_t sj = s[j];
    s[i] = sj;
    s[j] = si;
    data[n] ^= static_cast<uint8_t>(s[(si + sj) & 0xFF]);
  }
}

// Jet 3 text is in the code page of the Windows that wrote it. Where the header
// leaves the code page out, the sort order (a language id) tells which one that was.
static uint16_t CodePageOfSortOrder(uint16_t lcid) {
  switch (lcid & 0x3FF) {  // the primary language
    case 0x04: return (lcid == 0x0404 || lcid == 0x0C04 || lcid == 0x1404) ? 950 : 936;
    case 0x11: return 932;                                      // Japanese
    case 0x12: return 949;                                      // Korean
    case 0x19: case 0x22: case 0x23: case 0x02: case 0x2F: return 1251;  // Cyrillic
    case 0x05: case 0x15: case 0x0E: case 0x1B: case 0x24: case 0x1A: case 0x18: return 1250;
    case 0x08: return 1253;                                     // Greek
    case 0x1F: return 1254;                                     // Turkish
    case 0x0D: return 1255;                                     // Hebrew
    case 0x01: return 1256;                                     // Arabic
    case 0x25: case 0x26: case 0x27: return 1257;               // Baltic
    case 0x2A: return 1258;                                     // Vietnamese
    case 0x1E: return 874;                                      // Thai
    default: return 1252;
  }
}

// The file cannot be read at all: the system's reason, in words.
[[noreturn]] static void Unreadable(int err) { throw _com_error(E_FAIL, CannotReadCause(std::strerror(err))); }

[[noreturn]] static void NotAccess() { throw _com_error(E_FAIL, NotAccessDatabaseCause()); }

Pager::Pager(const std::string& path) {
  if (path.empty()) Unreadable(ENOENT);
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) Unreadable(errno);
  try {
    ReadHeader();
  } catch (...) {
    ::close(m_fd);
    m_fd = -1;
    throw;
  }
}

void Pager::CheckWholePages() {
  if (m_cutBytes == 0) return;
  if (!m_salvage) {
    _com_error e(E_FAIL, Printf(_("文件已损坏：它在第 %u 页中间结束（文件被截断）"), m_pageCount));
    throw e.MarkDamage();
  }
  for (const SalvageLoss& l : m_salvage->Losses())
    if (l.what == SalvageLoss::What::FileEnd) return;  // opened again in the same run
  SalvageLoss loss;
  loss.what = SalvageLoss::What::FileEnd;
  loss.page = m_pageCount;
  loss.check = Check::FileEnd;
  m_salvage->Add(std::move(loss));
}

Pager::~Pager() {
  if (m_fd >= 0) ::close(m_fd);
}

void Pager::ReadHeader() {
  struct stat st;
  if (fstat(m_fd, &st) != 0) Unreadable(errno);
  if (S_ISDIR(st.st_mode)) throw _com_error(E_FAIL, DirectoryCause());
  if (!S_ISREG(st.st_mode)) NotAccess();
  if (st.st_size == 0) throw _com_error(E_FAIL, EmptyFileCause());
  uint8_t head[2048];
  if (st.st_size < static_cast<off_t>(sizeof head)) NotAccess();
  const ssize_t got = pread(m_fd, head, sizeof head, 0);
  if (got < 0) Unreadable(errno);
  if (got != static_cast<ssize_t>(sizeof head)) NotAccess();
  // Bytes 4-19 name the engine: "Standard Jet DB" or, for .accdb, "Standard ACE DB".
  static const uint8_t kStart[] = {0x00, 0x01, 0x00, 0x00};
  const bool jetName = std::memcmp(head + 4, "Standard Jet DB", 16) == 0;
  const bool aceName = std::memcmp(head + 4, "Standard ACE DB", 16) == 0;
  if (std::memcmp(head, kStart, 4) != 0 || (!jetName && !aceName)) NotAccess();
  // 0 is Jet 3, 1 is Jet 4; 2 to 6 are ACE 12 to 17 (Access 2007 to 2019), whose pages
  // and rows are laid out as Jet 4's.
  const uint8_t version = head[0x14];
  if (version == 0 && jetName) m_format = JetFormat::Jet3();
  else if (version == 1 && jetName) m_format = JetFormat::Jet4();
  else if (version >= 2 && version <= 6 && aceName) m_format = JetFormat::Jet4();
  else Damaged();
  m_format.ace = version >= 2;
  // The header from 0x18 on is masked with a fixed RC4 key.
  static const uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  const size_t maskedLen = m_format.jet4 ? 128 : 126;
  Rc4(kHeaderKey, sizeof kHeaderKey, head + 0x18, maskedLen);

  // The version byte fixes the page size: the file is made of whole pages, unless
  // it was cut short (CheckWholePages).
  m_cutBytes = static_cast<uint32_t>(st.st_size % m_format.pageSize);
  m_pageCount = static_cast<uint32_t>(
      std::min<off_t>(st.st_size / m_format.pageSize, static_cast<off_t>(0x00FFFFFF)));
  if (m_pageCount < 3) Damaged();  // header, global usage map, catalog definition

  m_codePage = Get16(head + 0x3C);
  if (m_codePage == 0 && !m_format.jet4) m_codePage = CodePageOfSortOrder(Get16(head + 0x3A));
  // How the pages are protected; a descriptor no honest file holds is damage now,
  // before any password is asked for. Unlock decides the rest.
  const uint32_t pageKey = Get32(head + 0x3E);
  if (m_format.ace) {
    // The EncryptionInfo may run to the end of the header page, past what was read.
    std::vector<uint8_t> page0(m_format.pageSize);
    std::memcpy(page0.data(), head, sizeof head);
    const size_t rest = page0.size() - sizeof head;
    if (pread(m_fd, page0.data() + sizeof head, rest, sizeof head) != static_cast<ssize_t>(rest)) Damaged();
    m_office = ReadOfficeEncryption(page0.data(), page0.size());
  }
  else if (pageKey != 0) m_cipher = JetRc4Pages(pageKey);
  m_pageKey = pageKey;
  m_header.assign(head, head + 0x80);
}

void Pager::Unlock(const std::string& password) {
  if (m_office) m_cipher = m_office->Unlock(password, m_pageKey);

  // The version byte fixes the layout of every page too. Before the password area is
  // believed, the file must read as that version: the catalog's definition on page 2
  // with the version's own header (Jet 3 marks it "VC"; Jet 4 keeps its free space
  // there, less than a page). A version byte that does not fit the file is damage,
  // whatever its password area then holds.
  {
    std::vector<uint8_t> catalog(m_format.pageSize);
    Read(2, catalog.data());
    if (catalog[0] != 0x02) Damaged();
    const uint16_t id = Get16(catalog.data() + 2);
    if (m_format.jet4 ? id >= m_format.pageSize : std::memcmp(catalog.data() + 2, "VC", 2) != 0)
      Damaged();
  }
  // An encrypted .accdb keeps its password in the encryption alone; the old
  // password area holds no text there.
  if (!m_office) CheckDatabasePassword(m_header.data(), m_format, m_codePage, password);
}

void Pager::Read(uint32_t page, uint8_t* buf) const {
  if (page >= m_pageCount) Damaged();
  const size_t size = m_format.pageSize;
  const off_t at = static_cast<off_t>(page) * static_cast<off_t>(size);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(m_fd, buf + done, size - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Damaged();
    done += static_cast<size_t>(n);
  }
  if (m_cipher && page != 0) m_cipher->Decrypt(page, buf, size);
}

void Pager::ReadRun(uint32_t first, uint32_t count, uint8_t* buf) const {
  if (count == 0 || first >= m_pageCount || count > m_pageCount - first) Damaged();
  const size_t size = m_format.pageSize, total = size * count;
  const off_t at = static_cast<off_t>(first) * static_cast<off_t>(size);
  size_t done = 0;
  while (done < total) {
    const ssize_t n = pread(m_fd, buf + done, total - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Damaged();
    done += static_cast<size_t>(n);
  }
  for (uint32_t i = 0; m_cipher && i < count; ++i) {
    if (first + i != 0) m_cipher->Decrypt(first + i, buf + size * i, size);
  }
}

uint32_t RowCountOnPage(const JetFormat& f, const uint8_t* page) {
  const uint32_t rows = Get16(page + f.dataRowCountOffset);
  if (f.dataRowCountOffset + 2 + 2 * rows > f.pageSize) Damaged(Check::RowCount);
  return rows;
}

uint32_t CheckDataPage(const JetFormat& f, const uint8_t* data, uint32_t page, uint32_t owner,
                       PageKind kind) {
  if (data[0] != 0x01) Damaged(Check::PageType, page, kind);
  const uint32_t pageOwner = Get32(data + 4);
  // A long-value page and a data page are both of type 1: the owner tells them apart.
  if (owner != kAnyOwner && pageOwner != owner)
    Damaged(pageOwner == kLongValueOwner || owner == kLongValueOwner ? Check::PageType : Check::Owner, page, kind);
  const uint32_t rows = Get16(data + f.dataRowCountOffset);
  const uint32_t headerEnd = f.dataRowCountOffset + 2 + 2 * rows;
  if (headerEnd > f.pageSize) Damaged(Check::RowCount, page, kind);
  // Jet lays rows out from the end of the page down, each new one below the last,
  // deleted ones keeping their place: offsets never rise, and what lies between the
  // offset table and the lowest row is the free space the page records.
  const uint8_t* table = data + f.dataRowCountOffset + 2;
  uint32_t lowest = f.pageSize;
  for (uint32_t r = 0; r < rows; ++r) {
    const uint32_t offset = Get16(table + 2 * r) & 0x1FFF;
    if (offset < headerEnd || offset > lowest) Damaged(Check::RowOffsets, page, kind);
    lowest = offset;
  }
  if (Get16(data + 2) != lowest - headerEnd) Damaged(Check::RowOffsets, page, kind);
  return rows;
}

uint32_t LiveRowsOnPage(const JetFormat& f, const uint8_t* page) {
  const uint32_t rows = RowCountOnPage(f, page);
  uint32_t live = 0;
  for (uint32_t r = 0; r < rows; ++r) live += !(Get16(page + f.dataRowCountOffset + 2 + 2 * r) & 0x8000);
  return live;
}

// The bytes of row `row`, whatever its flags: a row runs from its offset to the
// offset of the row before it (the first to the end of the page).
static RowSpan SpanOf(const JetFormat& f, const uint8_t* page, uint32_t row) {
  const uint32_t rows = RowCountOnPage(f, page);
  if (row >= rows) Damaged(Check::RowOffsets);
  const uint8_t* table = page + f.dataRowCountOffset + 2;
  RowSpan span;
  span.begin = Get16(table + 2 * row) & 0x1FFF;
  span.end = row == 0 ? f.pageSize : (Get16(table + 2 * (row - 1)) & 0x1FFF);
  const uint32_t headerEnd = f.dataRowCountOffset + 2 + 2 * rows;
  if (span.begin < headerEnd || span.end > f.pageSize || span.begin > span.end) Damaged(Check::RowOffsets);
  return span;
}

bool LocateRow(const JetFormat& f, const uint8_t* page, uint32_t row, RowSpan* span,
               bool* lookup) {
  if (row >= RowCountOnPage(f, page)) Damaged(Check::RowOffsets);
  const uint16_t raw = Get16(page + f.dataRowCountOffset + 2 + 2 * row);
  if (raw & 0x8000) return false;
  *span = SpanOf(f, page, row);
  *lookup = (raw & 0x4000) != 0;
  return true;
}

RowSpan FollowPointer(const Pager& pager, PageBuffer& buf, uint32_t pointer, uint32_t owner, PageKind kind) {
  const uint32_t page = pointer >> 8;
  if (page >= pager.PageCount()) Damaged(Check::PageNumber, page, kind);
  const uint8_t* data = buf.Load(page);
  const uint32_t rows = CheckDataPage(pager.Format(), data, page, owner, kind);
  // The target of a pointer is marked deleted so that scans skip it: read it anyway.
  if ((pointer & 0xFF) >= rows) Damaged(kind == PageKind::LongValue ? Check::LongValueChain : Check::MovedRow, page, kind);
  return SpanOf(pager.Format(), data, pointer & 0xFF);
}

}  // namespace jet
