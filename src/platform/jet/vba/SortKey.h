// Jet's order of text as bytes: a key per text whose memcmp order (shorter first
// where one is a prefix of the other, as SQLite compares BLOBs, and texts in BINARY) is exactly
// CompareJetText's order, and two keys are equal exactly when CompareJetText
// finds the texts equal. A sort or a grouping then computes one key per value
// instead of calling the collator per comparison.
#pragma once
#include <unicode/ucol.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace jet {

// Hyphens and apostrophes, which count only where texts are otherwise equal, as in
// Windows' word sort, which Jet's General order follows ("coop", "co-op", "cop").
inline bool IsWordMark(char c) { return c == '-' || c == '\''; }

// A collator with the attributes of Jet's order (root collation at secondary
// strength, canonical equivalence); null when ICU cannot open one. The caller
// closes it. Comparisons and keys both come from here, so that they agree.
UCollator* OpenJetCollator();

// Keys of texts already computed, in one block of memory: open addressing over
// (hash, place) slots, each text beside its key, so that a lookup touches a slot
// and one entry. Bounded: past kBytes it starts afresh.
class SortKeyCache {
 public:
  static constexpr size_t kBytes = 8u << 20;
  // The key kept for `text`, empty when none; valid until the next Add.
  std::basic_string_view<uint8_t> Find(std::string_view text) const;
  void Add(std::string_view text, std::basic_string_view<uint8_t> key);

 private:
  static uint64_t Hash(std::string_view text);
  size_t Slot(std::string_view text, uint64_t hash) const;  // of the text, or the empty slot it would take
  void Clear();

  std::vector<uint64_t> m_slots;  // the hash's upper half, and 1 + the entry's place; 0 when empty
  std::vector<uint8_t> m_entries;  // each: text length, key length (4 bytes each), text, key
  size_t m_count = 0;
};

// Computes keys with one collator and buffers that grow to the longest text seen:
// no allocation per key once they have. Texts of ASCII and Latin letters get
// their key from a table of the collator's own weights, without it; others keep
// their keys in a bounded cache, as a column's values repeat. One per connection
// or per thread; not for two threads at once.
class JetSortKeys {
 public:
  JetSortKeys();
  ~JetSortKeys();
  JetSortKeys(const JetSortKeys&) = delete;
  JetSortKeys& operator=(const JetSortKeys&) = delete;

  // False when no collator could be opened: Key then gives nothing.
  bool Ready() const { return m_collator != nullptr; }

  // The key of a UTF-8 text (a malformed sequence counts as U+FFFD, as in the
  // comparison), valid until the next call; empty when not Ready or out of memory.
  std::basic_string_view<uint8_t> Key(const char* text, int len);

 private:
  // Appends the collator's key of a UTF-8 text, its terminating 0 byte included,
  // so that what follows it in the key cannot change the order.
  // `tableOnly`: nothing when the table of weights does not cover the text.
  bool AppendCollationKey(const char* text, int len, size_t* used, bool tableOnly);
  std::basic_string_view<uint8_t> ComputeKey(const char* text, int len, bool tableOnly);

  UCollator* m_collator = nullptr;
  SortKeyCache m_cache;
  std::vector<UChar> m_wide;
  std::vector<char> m_bare;
  std::vector<uint8_t> m_key;
  std::vector<uint8_t> m_secondaries;
};

// Registers kSortKeyFunction (Functions.h) on `db`, with a JetSortKeys of its own.
bool RegisterSortKeyFunction(sqlite3* db);

}  // namespace jet
