// Salvage: the reader opened so goes past damage and loses only what is damaged (a
// data page that fails its checks is skipped whole, a row that fails is skipped, a
// long value that fails is read as NULL, a usage map that fails is replaced by the
// data pages whose owner is the table). Every loss is written down here, for the
// caller to report once the run is over.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include "platform/jet/file/Damage.h"

namespace jet {

struct SalvageLoss {
  enum class What {
    Page,       // a data page skipped whole
    Row,        // one record skipped
    Value,      // one long value (or complex column) read as NULL; the record is kept
    UsageMap,   // the usage map, replaced by the data pages the table owns
    Missing,    // records the table definition counts that no page gave
    FileEnd,    // the file's last page, cut short, dropped (no table: the file's)
    // What the schema of a table loses (the whole-database outputs read it):
    Table,         // its definition: the table is left out, its records with it
    Index,         // one index (column: its name; empty: every index), left out
    Properties,    // its properties blob: Required, DefaultValue, Description
    Relationship,  // one relationship (column: its name), its rows incomplete
  };
  What what = What::Page;
  std::string table;
  uint32_t page = kNoPage;
  PageKind kind = PageKind::Data;
  Check check = Check::PageType;
  // Records lost, when the page still tells how many (0 for a value or a map).
  std::optional<uint64_t> records;
  // Value: the record (1-based, in the table's scan order) and the column; Index
  // and Relationship: the name of what was left out.
  uint64_t record = 0;
  std::string column;
  // The pass over the table that found it (from SalvageLog::NewPass): a statement
  // that reads a table twice finds its damage twice.
  uint64_t pass = 0;
};

class SalvageLog {
 public:
  void Add(SalvageLoss loss) { m_losses.push_back(std::move(loss)); }
  uint64_t NewPass() { return ++m_passes; }
  const std::vector<SalvageLoss>& Losses() const { return m_losses; }
  bool Empty() const { return m_losses.empty(); }
  // The records a whole pass over a table gave, noted at its end: beside the
  // losses, how many records the table still held.
  void NoteGiven(const std::string& table, uint64_t records) { m_given[table] = records; }
  uint64_t RecordsGiven(const std::string& table) const {
    auto it = m_given.find(table);
    return it == m_given.end() ? 0 : it->second;
  }

 private:
  std::vector<SalvageLoss> m_losses;
  std::map<std::string, uint64_t> m_given;
  uint64_t m_passes = 0;
};

}  // namespace jet
