// The index a statement builds of one column of a file's table, so that SQLite's
// lookups (col = x, col IN (...), ranges) read the rows that may match instead of
// the whole table: a correlated subquery or a join then costs what it costs in a
// database with indexes. Built from one scan of the column, kept in memory while
// the statement runs: per row, the key and where the row lies (16 bytes a row).
//
// The index answers with a superset: the rows whose value may equal the one looked
// up, as SQLite compares them (text by Jet's collation, without regard to case;
// numbers by value). SQLite checks every row it gets again, so a row too many
// costs a little time and a row too few would be wrong: keys are chosen so that
// values SQLite finds equal always have equal keys.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

struct sqlite3_value;

namespace jet {

// A value as the virtual table hands it to SQLite: its storage class (SQLITE_NULL,
// SQLITE_INTEGER, ...) and the number or the bytes (which the caller keeps alive).
struct SqlValue {
  int type = 5;  // SQLITE_NULL
  int64_t integer = 0;
  double real = 0;
  const char* bytes = nullptr;  // TEXT (UTF-8) and BLOB
  int size = 0;
};

class ColumnIndex {
 public:
  explicit ColumnIndex(size_t expectedRows);

  // Adds the value of the row at `position` (RowStream::Position). False when the
  // column holds values the index cannot serve (texts beside numbers, binaries):
  // its lookups then scan.
  bool Add(const SqlValue& value, int64_t position);
  // Sorts the keys: after it, the lookups below.
  void Finish();

  // Appends the positions of the rows whose value may equal `value` under `=`, a
  // key's rows in no particular order. False when the index cannot tell for this
  // value (a number looked up among texts): the caller scans.
  bool AppendEqual(sqlite3_value* value, std::vector<int64_t>* out) const;
  // The same for low <= value <= high; a bound may be null (none). A range's ends
  // are always included: SQLite's own check of each row leaves out an end that
  // `<` or `>` excludes.
  bool AppendRange(sqlite3_value* low, sqlite3_value* high, std::vector<int64_t>* out) const;

  size_t Rows() const { return m_rows; }
  // The memory the index holds, for its bound of 32 bytes a row.
  size_t Bytes() const { return m_entries.capacity() * sizeof(Entry); }

  struct Entry {
    uint64_t key;  // a number (an exact BLOB by its nearest double) in an order-keeping form, or a text's hash
    int64_t position;
  };

 private:
  enum class Kind { Empty, Numbers, Texts, Exacts, Unusable };
  bool NumberKey(sqlite3_value* value, uint64_t* key, bool* none) const;
  void AppendKeys(uint64_t low, uint64_t high, std::vector<int64_t>* out) const;

  std::vector<Entry> m_entries;
  Kind m_kind = Kind::Empty;
  size_t m_rows = 0;
};

// The indexes of one table, by column, for one statement: a lookup of values
// builds the column's index on its first call, and every later lookup is served
// from it. A range pays only when it comes again (once, a scan reads no more than
// the build would): its first call scans. A lookup for another statement drops
// them all.
class TableIndexes {
 public:
  using Builder = std::function<std::unique_ptr<ColumnIndex>()>;
  // The index for a lookup on `column` by statement `statement`, built through
  // `build` when needed; null when this lookup scans (the first of ranges, and
  // any after a build that gave nothing).
  const ColumnIndex* ForLookup(int column, uint64_t statement, bool range, const Builder& build);

 private:
  struct Column {
    bool built = false;
    bool rangeSeen = false;
    std::unique_ptr<ColumnIndex> index;  // null: not built, or could not be
  };
  std::map<int, Column> m_columns;
  uint64_t m_statement = 0;
};

}  // namespace jet
