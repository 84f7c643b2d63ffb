#include "platform/jet/file/RowStream.h"

#include <algorithm>

#include "platform/jet/file/JetText.h"

namespace jet {

TableRows::TableRows(std::shared_ptr<const Pager> pager, std::shared_ptr<const TableDef> table,
                     std::shared_ptr<CodePageDecoder> codePage,
                     std::shared_ptr<ComplexColumns> complex, bool salvage)
    : m_pager(std::move(pager)),
      m_table(std::move(table)),
      m_codePage(std::move(codePage)),
      m_complex(std::move(complex)),
      m_overflow(*m_pager),
      m_lval(*m_pager),
      m_values(m_table->columns.size()),
      m_decoded(m_table->columns.size(), 0),
      m_ctx{*m_pager, m_lval, *m_codePage, {}, m_complex.get(), {}},
      m_salvage(salvage ? m_pager->Salvage() : nullptr) {}

uint32_t TableRows::CurrentPage() const {
  return m_nextPage > 0 && m_nextPage <= m_pages.size() ? m_pages[m_nextPage - 1] : kNoPage;
}

void TableRows::Raise(const Damage& d) const {
  if (d.page != kNoPage) throw DamageError(m_table->name, d.check, d.page, d.kind);
  throw DamageError(m_table->name, d.check, CurrentPage(), PageKind::Data);
}

void TableRows::Lose(SalvageLoss::What what, const Damage& d, std::optional<uint64_t> records,
                     const std::string& column) {
  SalvageLoss loss;
  loss.what = what;
  loss.table = m_table->name;
  loss.page = d.page != kNoPage ? d.page : CurrentPage();
  loss.kind = d.page != kNoPage ? d.kind : PageKind::Data;
  loss.check = d.check;
  loss.records = records;
  if (m_pass == 0) m_pass = m_salvage->NewPass();
  loss.pass = m_pass;
  if (what == SalvageLoss::What::Value) {
    loss.record = m_rowsRead + 1;
    loss.column = column;
  }
  if (records) m_recordsLost += *records;
  else m_lostUnknown = true;
  m_salvage->Add(std::move(loss));
}

// Page m_pages[index], from the run that holds it, reading the next run if none
// does: the pages that follow it in the file, as far as the table owns them.
const uint8_t* TableRows::ScanPage(size_t index) {
  if (index < m_runFirst || index >= m_runFirst + m_runCount) {
    m_runCount = 0;
    size_t count = 1;
    while (count < kRunPages && index + count < m_pages.size() &&
           m_pages[index + count] == m_pages[index] + count)
      ++count;
    if (m_run.size() < count * m_pager->PageSize()) m_run.resize(count * m_pager->PageSize());
    m_pager->ReadRun(m_pages[index], static_cast<uint32_t>(count), m_run.data());
    m_runFirst = index;
    m_runCount = count;
  }
  return m_run.data() + (index - m_runFirst) * m_pager->PageSize();
}

bool TableRows::LoadNextPage() {
  const JetFormat& f = m_pager->Format();
  while (m_nextPage < m_pages.size()) {
    const size_t index = m_nextPage++;
    const uint8_t* page = ScanPage(index);
    // Every page the usage map claims is a data page of this table in the files Access
    // makes. A page that is not (zeroed, another kind, another table's) has lost the
    // rows that were on it: passing it by would drop them without a word.
    try {
      m_rowsOnPage = CheckDataPage(f, page, m_pages[index], m_table->tdefPage);
    } catch (const Damage& d) {
      if (!m_salvage) throw;
      // A page of this table whose offsets fail still counts its records; one of
      // another kind, or none, no longer tells how many it held.
      std::optional<uint64_t> lost;
      if (d.check == Check::RowOffsets) lost = LiveRowsOnPage(f, page);
      Lose(SalvageLoss::What::Page, d, lost);
      continue;
    }
    m_page = page;
    m_nextRow = 0;
    return true;
  }
  return false;
}

void TableRows::Start() {
  // The usage map is read on the first step, so that opening a stream costs nothing.
  m_started = true;
  try {
    m_pages = ReadTablePages(*m_pager, *m_table);
  } catch (const Damage& d) {
    if (!m_salvage) throw;
    // A file may keep pages a table gave up, rows and all, still naming it their
    // owner. Where the owned pages hold more records than the table counts, some are
    // such pages, and no page tells which: none is read, for no record is invented.
    uint64_t live = 0;
    std::vector<uint32_t> owned = PagesOwnedBy(*m_pager, m_table->tdefPage, &live);
    if (live > m_table->rowCount) {
      owned.clear();
      Lose(SalvageLoss::What::UsageMap, d, std::nullopt);
    } else {
      Lose(SalvageLoss::What::UsageMap, d, 0);
    }
    m_pages = std::move(owned);
  }
  m_rowsOnPage = m_nextRow = 0;
}

// The whole table has been read. Fewer rows than its definition records means rows
// were lost (a page the usage map no longer names, a row wrongly marked deleted).
// More is no damage: Access leaves the count short of the rows at times, in its own
// files. Salvage counts what no page owned up to, where every loss told its count.
void TableRows::EndOfScan() {
  if (m_salvage && m_countsRows) m_salvage->NoteGiven(m_table->name, m_rowsRead);
  const uint64_t accounted = m_rowsRead + m_recordsLost;
  if (!m_countsRows || accounted >= m_table->rowCount) return;
  const Damage missing(Check::RecordsMissing, m_table->tdefPage, PageKind::TableDefinition);
  if (!m_salvage) Raise(missing);
  if (!m_lostUnknown) Lose(SalvageLoss::What::Missing, missing, m_table->rowCount - accounted);
}

bool TableRows::Next() {
  try {
    return Step();
  } catch (const Damage& d) {
    Raise(d);
  }
}

bool TableRows::Step() {
  if (!m_started) Start();
  m_onRow = false;
  for (;;) {
    while (m_nextRow >= m_rowsOnPage) {
      if (!LoadNextPage()) {
        EndOfScan();
        return false;
      }
    }
    const uint32_t slot = m_nextRow++;
    if (!m_salvage) {
      if (!ReadRow(slot, true)) continue;
    } else {
      try {
        if (!ReadRow(slot, true)) continue;
        DecodeAll();
      } catch (const Damage& d) {
        m_onRow = false;
        Lose(SalvageLoss::What::Row, d, 1);
        continue;
      }
    }
    ++m_rowsRead;
    return true;
  }
}

static bool IsLongValue(const ColumnLayout& c) {
  return c.def.type == AccessType::Memo || c.def.type == AccessType::OleObject ||
         c.def.type == AccessType::Complex;
}

void TableRows::DecodeAll() {
  // The row's own values first: one that fails loses the row, and no long value of
  // it is then reported on its own.
  for (size_t col = 0; col < m_values.size(); ++col) {
    if (IsLongValue(m_table->columns[col])) continue;
    DecodeValue(m_table->columns[col], m_fields[col], m_ctx, &m_values[col]);
    m_decoded[col] = 1;
  }
  for (size_t col = 0; col < m_values.size(); ++col) {
    if (m_decoded[col]) continue;
    try {
      DecodeValue(m_table->columns[col], m_fields[col], m_ctx, &m_values[col]);
    } catch (const Damage& d) {
      m_values[col].vt = VT_NULL;
      Lose(SalvageLoss::What::Value, d, 0, m_table->columns[col].def.name);
    }
    m_decoded[col] = 1;
  }
}

bool TableRows::ReadRow(uint32_t slot, bool firstVisit) {
  const JetFormat& f = m_pager->Format();
  const uint8_t* page = m_page;
  RowSpan span;
  bool lookup = false;
  if (!LocateRow(f, page, slot, &span, &lookup)) return false;
  const uint8_t* row = page + span.begin;
  if (lookup) {
    // The row moved to another page of the table when it grew; only its address
    // stayed here.
    if (span.end - span.begin < 4) Damaged(Check::MovedRow);
    const uint32_t moved = Get32(row);
    if (firstVisit && !m_movedRowsRead.insert(moved).second) Damaged(Check::MovedRow);
    span = FollowPointer(*m_pager, m_overflow, moved, m_table->tdefPage, PageKind::Data);
    row = m_overflow.Data() + span.begin;
  }
  CrackRow(f, *m_table, row, span.end - span.begin, &m_fields, &m_offsets);
  std::fill(m_decoded.begin(), m_decoded.end(), 0);
  m_onRow = true;
  return true;
}

const uint8_t* TableRows::CachedPage(size_t index) {
  if (m_cache.empty())
    m_cache.resize(std::max<size_t>(1, std::min(m_pages.size(), kCacheBytes / m_pager->PageSize())));
  Cached& slot = m_cache[index % m_cache.size()];
  if (slot.page != m_pages[index]) {
    slot.page = UINT32_MAX;
    slot.bytes.resize(m_pager->PageSize());
    m_pager->Read(m_pages[index], slot.bytes.data());
    slot.page = m_pages[index];
  }
  return slot.bytes.data();
}

int64_t TableRows::Position() const {
  if (!m_onRow) return -1;
  return static_cast<int64_t>(m_pages[m_nextPage - 1]) << 16 | (m_nextRow - 1);
}

void TableRows::MoveTo(int64_t position) {
  try {
    if (!m_started) Start();
    m_onRow = false;
    if (position < 0) Damaged(Check::RowOffsets);
    const uint32_t pageNumber = static_cast<uint32_t>(position >> 16), slot = position & 0xFFFF;
    // Only a data page of this table, found in its usage map: Next() goes on from there.
    auto at = std::lower_bound(m_pages.begin(), m_pages.end(), pageNumber);
    if (at == m_pages.end() || *at != pageNumber) Damaged(Check::Owner, pageNumber);
    m_nextPage = static_cast<size_t>(at - m_pages.begin()) + 1;
    const uint8_t* page = CachedPage(m_nextPage - 1);
    m_rowsOnPage = CheckDataPage(m_pager->Format(), page, pageNumber, m_table->tdefPage);
    m_page = page;
    if (slot >= m_rowsOnPage) Damaged(Check::RowOffsets);
    m_nextRow = slot + 1;
    // Rows read from here on are no longer the whole table's: the count is not checked.
    m_countsRows = false;
    // A pass of Next() starts here: the moved records it reads are counted afresh.
    if (!m_movedRowsRead.empty()) m_movedRowsRead.clear();
    if (!ReadRow(slot, false)) Damaged(Check::RowOffsets);
    if (m_salvage) DecodeAll();
  } catch (const Damage& d) {
    m_onRow = false;
    Raise(d);
  }
}

const VARIANT& TableRows::Value(int col) {
  if (!m_onRow || col < 0 || static_cast<size_t>(col) >= m_values.size()) throw _com_error(E_FAIL);
  VARIANT& v = m_values[col];
  if (!m_decoded[col]) {
    try {
      DecodeValue(m_table->columns[col], m_fields[col], m_ctx, &v);
    } catch (const Damage& d) {
      Raise(d);
    }
    m_decoded[col] = 1;
  }
  return v;
}

void TableRows::Values(const int* cols, size_t n, const VARIANT** out) {
  if (!m_onRow) throw _com_error(E_FAIL);
  // The arrays are held in locals: decoding may not move them, and the loop
  // then need not read them again for every column.
  VARIANT* values = m_values.data();
  char* decoded = m_decoded.data();
  const ColumnLayout* columns = m_table->columns.data();
  const FieldSpan* fields = m_fields.data();
  const size_t count = m_values.size();
  try {
    for (size_t i = 0; i < n; ++i) {
      const size_t col = static_cast<size_t>(cols[i]);
      if (col >= count) throw _com_error(E_FAIL);
      if (!decoded[col]) {
        DecodeValue(columns[col], fields[col], m_ctx, &values[col]);
        decoded[col] = 1;
      }
      out[i] = &values[col];
    }
  } catch (const Damage& d) {
    Raise(d);
  }
}

}  // namespace jet
