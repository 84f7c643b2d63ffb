#include "platform/jet/file/TableDef.h"

#include <algorithm>
#include "platform/jet/file/JetText.h"

namespace jet {

// The definition as one byte run: the first page whole, each continuation page
// without its 8-byte header, as Jet lays it out.
static std::vector<uint8_t> ReadTdefBytes(const Pager& pager, uint32_t page) {
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> buf(pager.PageSize());
  // A definition never needs more than a few pages; a long chain is a loop.
  const uint32_t first = page;
  for (int n = 0; page != 0; ++n) {
    if (n >= 256) Damaged(Check::TableDefinition, first, PageKind::TableDefinition);
    if (page >= pager.PageCount()) Damaged(Check::PageNumber, first, PageKind::TableDefinition);
    pager.Read(page, buf.data());
    if (buf[0] != 0x02) Damaged(n == 0 ? Check::PageType : Check::TableDefinition, first, PageKind::TableDefinition);
    bytes.insert(bytes.end(), buf.begin() + (n == 0 ? 0 : 8), buf.end());
    page = Get32(buf.data() + 4);
  }
  return bytes;
}

static bool IsFixedSizeType(AccessType t, uint16_t* size) {
  switch (t) {
    case AccessType::Boolean: *size = 0; return true;
    case AccessType::Byte: *size = 1; return true;
    case AccessType::Integer: *size = 2; return true;
    case AccessType::LongInteger: case AccessType::Single: *size = 4; return true;
    case AccessType::Currency: case AccessType::Double: case AccessType::DateTime:
      *size = 8; return true;
    case AccessType::ReplicationId: *size = 16; return true;
    case AccessType::Decimal: *size = 17; return true;
    case AccessType::Complex: *size = 4; return true;
    case AccessType::BigInt: *size = 8; return true;
    default: return false;
  }
}

static bool KnownType(int t, bool ace) {
  return (t >= 0x01 && t <= 0x0C) || t == 0x0F || t == 0x10 || (ace && t >= 0x12 && t <= 0x14);
}

// Jet gives every column of a table a name of its own: not empty, without NUL, and
// different from the others without regard to case. A definition that breaks this
// is damaged, and no statement may be built over it.
static void CheckNames(const std::vector<ColumnLayout>& columns, uint32_t tdefPage) {
  auto Damaged = [tdefPage] { jet::Damaged(Check::TableDefinition, tdefPage, PageKind::TableDefinition); };
  std::vector<const std::string*> names;
  names.reserve(columns.size());
  for (const ColumnLayout& c : columns) {
    if (!IsObjectName(c.def.name)) Damaged();
    names.push_back(&c.def.name);
  }
  if (HasRepeatedName(names)) Damaged();
}

TableDef ReadTableDef(const Pager& pager, uint32_t tdefPage, CodePageDecoder& names) {
  const JetFormat& f = pager.Format();
  const std::vector<uint8_t> b = ReadTdefBytes(pager, tdefPage);
  auto Damaged = [tdefPage] { jet::Damaged(Check::TableDefinition, tdefPage, PageKind::TableDefinition); };
  auto need = [&](size_t end) { if (end > b.size()) Damaged(); };
  need(f.tdefColsStart);
  TableDef t;
  t.tdefPage = tdefPage;
  t.rowCount = Get32(&b[f.tdefRowCount]);
  t.varColumnCount = Get16(&b[f.tdefVarCols]);
  const uint32_t numCols = Get16(&b[f.tdefNumCols]);
  const uint32_t realIdx = Get32(&b[f.tdefRealIdx]);
  t.usageMapPointer = Get32(&b[f.tdefUsageMap]);
  if (numCols == 0 || numCols > 4096 || realIdx > 4096) Damaged();
  size_t pos = f.tdefColsStart + static_cast<size_t>(realIdx) * f.realIdxEntry;
  need(pos + static_cast<size_t>(numCols) * f.colEntry);
  t.columns.resize(numCols);
  for (uint32_t i = 0; i < numCols; ++i, pos += f.colEntry) {
    const uint8_t* c = &b[pos];
    ColumnLayout& col = t.columns[i];
    const int type = c[0];
    // Types this reader does not know read as binary: their bytes stay available,
    // nothing is guessed.
    col.def.type = KnownType(type, f.ace) ? static_cast<AccessType>(type) : AccessType::Binary;
    if (f.ace) {
      col.calculated = (c[f.colMoreFlags] & 0xC0) == 0xC0;
      if (col.def.type == AccessType::Complex) col.complexId = Get32(c + f.colComplexId);
    }
    col.number = Get16(c + f.colNum);
    col.varIndex = Get16(c + f.colVarOffset);
    col.fixedOffset = Get16(c + f.colFixedOffset);
    col.fixed = (c[f.colFlags] & 0x01) != 0;
    col.size = Get16(c + f.colSize);
    col.def.size = col.size;
    col.def.precision = c[f.colPrecision];
    col.def.scale = c[f.colScale];
    // Flags 0x04: a Long Integer AutoNumber; 0x40: a Replication ID one.
    col.def.autoNumber = (c[f.colFlags] & 0x44) != 0;
    uint16_t typeSize;
    if (col.fixed && IsFixedSizeType(col.def.type, &typeSize)) col.size = typeSize;
  }
  for (uint32_t i = 0; i < numCols; ++i) {
    std::string& name = t.columns[i].def.name;
    if (f.jet4) {
      need(pos + 2);
      const uint32_t len = Get16(&b[pos]);
      need(pos + 2 + len);
      AppendJet4Text(&b[pos + 2], len, &name);
      pos += 2 + len;
    } else {
      need(pos + 1);
      const uint32_t len = b[pos];
      need(pos + 1 + len);
      names.Append(&b[pos + 1], len, &name);
      pos += 1 + len;
    }
  }
  CheckNames(t.columns, tdefPage);
  try {
    t.indexes = ReadIndexEntries(f, b, &pos, realIdx, Get32(&b[f.tdefRealIdx - 4]), names);
    t.indexesRead = true;
  } catch (const _com_error&) {
    t.indexes.clear();
  }
  std::stable_sort(t.columns.begin(), t.columns.end(),
                   [](const ColumnLayout& a, const ColumnLayout& c) { return a.number < c.number; });
  // Each column has a null-mask bit of its own.
  if (std::adjacent_find(t.columns.begin(), t.columns.end(), [](const ColumnLayout& a, const ColumnLayout& c) {
        return a.number == c.number;
      }) != t.columns.end())
    Damaged();
  return t;
}

// Appends the pages whose bits are set in `bits`, page `first` being bit 0.
static void AddMappedPages(const uint8_t* bits, size_t len, uint64_t first, uint32_t pageCount,
                           std::vector<uint32_t>* pages) {
  for (size_t i = 0; i < len; ++i) {
    if (bits[i] == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if (!(bits[i] >> bit & 1)) continue;
      const uint64_t page = first + i * 8 + bit;
      if (page >= pageCount) Damaged(Check::UsageMap);  // a page the file has lost: it was cut short
      pages->push_back(static_cast<uint32_t>(page));
    }
  }
}

static std::vector<uint32_t> MappedPages(const Pager& pager, const TableDef& table) {
  PageBuffer mapPage(pager);
  const RowSpan span = FollowPointer(pager, mapPage, table.usageMapPointer, kAnyOwner, PageKind::UsageMap);
  // Copy the map row: reading the pages it points to reuses no buffer of ours, but
  // the row must outlive the loads below.
  std::vector<uint8_t> map(mapPage.Data() + span.begin, mapPage.Data() + span.end);
  std::vector<uint32_t> pages;
  if (map.empty()) Damaged(Check::UsageMap);
  if (map[0] == 0x00) {
    if (map.size() < 5) Damaged(Check::UsageMap);
    AddMappedPages(map.data() + 5, map.size() - 5, Get32(map.data() + 1), pager.PageCount(), &pages);
  } else if (map[0] == 0x01) {
    // Each pointer names a page of bits; map page i covers its own stretch of the file.
    const uint64_t perPage = static_cast<uint64_t>(pager.PageSize() - 4) * 8;
    std::vector<uint8_t> bits(pager.PageSize());
    for (size_t i = 0; 1 + 4 * i + 4 <= map.size(); ++i) {
      const uint32_t p = Get32(map.data() + 1 + 4 * i);
      if (p == 0) continue;
      if (p >= pager.PageCount()) Damaged(Check::UsageMap);
      pager.Read(p, bits.data());
      if (bits[0] != 0x05) Damaged(Check::UsageMap);
      AddMappedPages(bits.data() + 4, bits.size() - 4, i * perPage, pager.PageCount(), &pages);
    }
  } else {
    Damaged(Check::UsageMap);
  }
  return pages;
}

std::vector<uint32_t> ReadTablePages(const Pager& pager, const TableDef& table) {
  try {
    return MappedPages(pager, table);
  } catch (const Damage&) {
    // Whatever failed on the way, it is the map that cannot be read.
    Damaged(Check::UsageMap, table.usageMapPointer >> 8, PageKind::UsageMap);
  }
}

std::vector<uint32_t> PagesOwnedBy(const Pager& pager, uint32_t tdefPage, uint64_t* liveRows) {
  constexpr uint32_t kRun = 64;
  std::vector<uint8_t> run(static_cast<size_t>(kRun) * pager.PageSize());
  std::vector<uint32_t> pages;
  for (uint32_t first = 1; first < pager.PageCount(); first += kRun) {
    const uint32_t count = std::min(kRun, pager.PageCount() - first);
    pager.ReadRun(first, count, run.data());
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* page = run.data() + static_cast<size_t>(i) * pager.PageSize();
      if (page[0] != 0x01 || Get32(page + 4) != tdefPage) continue;
      pages.push_back(first + i);
      if (Get16(page + pager.Format().dataRowCountOffset) * 2u + pager.Format().dataRowCountOffset + 2 <= pager.PageSize())
        *liveRows += LiveRowsOnPage(pager.Format(), page);
    }
  }
  return pages;
}

}  // namespace jet
