// A RowStream over one table: walks the pages of its usage map, the rows of each of
// its data pages (skipping deleted rows, following overflow pointers), cracks each row
// and decodes a column only when it is asked for. E_FAIL for a page of the map that is
// no data page of the table, and, once every page has been read, when the table held
// fewer rows than its definition records: the rows before the damage have been given.
// Each such error is marked as damage and names the table, the page and the check.
//
// In salvage mode (the pager has a log) damage costs only what it touches: a data
// page that fails is skipped, a row that fails is skipped (every value of a row is
// decoded before Next gives it, so only rows that pass every check are given), a long
// value that fails reads as NULL, and a usage map that fails gives way to the pages
// the table owns. Each loss goes into the log.
#pragma once
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/RowCrack.h"
#include "platform/jet/file/ValueDecode.h"

namespace jet {

class TableRows : public RowStream {
 public:
  // `complex` gives complex columns their entries; without it they read as their keys.
  // `salvage` false: the first damage ends the pass even where the file is read in
  // salvage mode.
  TableRows(std::shared_ptr<const Pager> pager, std::shared_ptr<const TableDef> table,
            std::shared_ptr<CodePageDecoder> codePage,
            std::shared_ptr<ComplexColumns> complex = nullptr, bool salvage = true);
  bool Next() override;
  const VARIANT& Value(int col) override;
  void Values(const int* cols, size_t n, const VARIANT** out) override;
  // page << 16 | the row's slot on it: the slot of the record, also when the
  // record itself moved to another page.
  int64_t Position() const override;
  void MoveTo(int64_t position) override;

 private:
  void Start();
  bool Step();
  bool LoadNextPage();
  void EndOfScan();
  // Salvage: decodes every column of the row now; a long value that fails is NULL.
  void DecodeAll();
  uint32_t CurrentPage() const;
  // The provider's error for damage found here, with the table and the data page.
  [[noreturn]] void Raise(const Damage& d) const;
  void Lose(SalvageLoss::What what, const Damage& d, std::optional<uint64_t> records,
            const std::string& column = std::string());
  const uint8_t* ScanPage(size_t index);
  const uint8_t* CachedPage(size_t index);
  // Cracks row `slot` of m_page, following it where it moved; false
  // for a deleted row. `firstVisit`: a step of Next(), which reads each moved
  // record once (MoveTo may come back to one).
  bool ReadRow(uint32_t slot, bool firstVisit);

  std::shared_ptr<const Pager> m_pager;
  std::shared_ptr<const TableDef> m_table;
  std::shared_ptr<CodePageDecoder> m_codePage;
  std::shared_ptr<ComplexColumns> m_complex;
  std::vector<uint32_t> m_pages;
  size_t m_nextPage = 0;
  bool m_started = false;
  PageBuffer m_overflow, m_lval;
  // The scan's pages, read a run of neighbouring pages at a time: entries
  // [m_runFirst, m_runFirst + m_runCount) of m_pages.
  static constexpr uint32_t kRunPages = 16;
  std::vector<uint8_t> m_run;
  size_t m_runFirst = 0, m_runCount = 0;
  const uint8_t* m_page = nullptr;  // the data page of the current row: in m_run or in m_cache
  // The pages MoveTo read, kept for its later visits: lookups through an index
  // come back to the same pages, as a database's page cache keeps them. Slot
  // i % size holds data page m_pages[i]; at most kCacheBytes in all.
  static constexpr size_t kCacheBytes = 16 << 20;
  struct Cached {
    uint32_t page = UINT32_MAX;
    std::vector<uint8_t> bytes;
  };
  std::vector<Cached> m_cache;
  uint32_t m_rowsOnPage = 0, m_nextRow = 0;
  uint64_t m_rowsRead = 0;  // live rows given so far, for the count at the end
  bool m_countsRows = true;  // a scan from the first row on, never moved: its count is checked
  bool m_onRow = false;
  std::vector<FieldSpan> m_fields;
  std::vector<uint32_t> m_offsets;
  std::vector<VARIANT> m_values;
  std::vector<char> m_decoded;
  // The moved rows this pass has followed a pointer to. Each belongs to one record, so
  // a second pointer to one is damage: records sharing it would repeat it, at a cost of
  // four bytes a copy.
  std::unordered_set<uint32_t> m_movedRowsRead;
  DecodeContext m_ctx;
  SalvageLog* m_salvage;
  uint64_t m_recordsLost = 0;  // salvage: records the log counts as lost
  bool m_lostUnknown = false;  // salvage: a loss whose count no page told
  uint64_t m_pass = 0;         // salvage: this pass's number in the log, once it lost something
};

}  // namespace jet
