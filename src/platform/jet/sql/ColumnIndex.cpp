#include "platform/jet/sql/ColumnIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/com/ExactKey.h"
#include "platform/jet/vba/Functions.h"

namespace jet {

namespace {

// A double's bits turned so that unsigned order is numeric order; 0 and -0, which
// SQLite finds equal, share one key.
uint64_t OrderedKey(double d) {
  if (d == 0) d = 0.0;
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
}

// Integers become doubles: two integers SQLite finds equal, or an integer and a
// real equal to it, keep equal keys; rounding only ever joins keys (a superset).
uint64_t IntegerKey(int64_t i) { return OrderedKey(static_cast<double>(i)); }

// An exact Currency or Decimal BLOB (ExactKey.h) keyed by the double nearest its
// number: rounding keeps the order and only ever joins keys.
bool ExactIndexKey(const void* bytes, int size, uint64_t* key) {
  Exact e;
  if (size < 0 || !ExactOfKey(bytes, static_cast<size_t>(size), &e)) return false;
  *key = OrderedKey(e.ToDouble());
  return true;
}
bool ExactIndexKey(sqlite3_value* v, uint64_t* key) {
  return sqlite3_value_type(v) == SQLITE_BLOB && ExactIndexKey(sqlite3_value_blob(v), sqlite3_value_bytes(v), key);
}

}  // namespace

ColumnIndex::ColumnIndex(size_t expectedRows) { m_entries.reserve(expectedRows); }

bool ColumnIndex::Add(const SqlValue& value, int64_t position) {
  ++m_rows;
  Kind kind;
  uint64_t key;
  switch (value.type) {
    case SQLITE_NULL:
      return true;  // `=` finds no NULL, nor does a range
    case SQLITE_INTEGER:
      kind = Kind::Numbers, key = IntegerKey(value.integer);
      break;
    case SQLITE_FLOAT:
      if (std::isnan(value.real)) return true;  // SQLite holds NaN as NULL
      kind = Kind::Numbers, key = OrderedKey(value.real);
      break;
    case SQLITE_TEXT:
      kind = Kind::Texts, key = JetTextHash(value.bytes, value.size);
      break;
    default:
      kind = ExactIndexKey(value.bytes, value.size, &key) ? Kind::Exacts : Kind::Unusable;
  }
  if (m_kind == Kind::Empty) m_kind = kind;
  if (kind != m_kind || kind == Kind::Unusable) {
    m_kind = Kind::Unusable;
    m_entries.clear();
    m_entries.shrink_to_fit();
    return false;
  }
  m_entries.push_back({key, position});
  return true;
}

// Sorts entries by key, in place, a byte at a time from byte `byte` down (an
// American flag sort): no second array, and a byte that is the same in every key
// of a bucket (most of them, for the numbers of a key column) costs one count.
void SortByKey(ColumnIndex::Entry* a, size_t n, int byte) {
  for (;;) {
    if (n < 32) {
      for (size_t i = 1; i < n; ++i)
        for (size_t j = i; j > 0 && a[j].key < a[j - 1].key; --j) std::swap(a[j], a[j - 1]);
      return;
    }
    const int shift = 8 * byte;
    size_t count[256] = {};
    for (size_t i = 0; i < n; ++i) ++count[a[i].key >> shift & 0xFF];
    if (count[a[0].key >> shift & 0xFF] == n) {
      if (byte-- == 0) return;
      continue;
    }
    size_t next[256], end[256];
    for (size_t d = 0, at = 0; d < 256; ++d) next[d] = at, at += count[d], end[d] = at;
    // Each entry goes to the next free place of its bucket, the entry found there
    // on to its own, until the bucket's own entry comes back.
    for (size_t d = 0; d < 256; ++d) {
      while (next[d] < end[d]) {
        ColumnIndex::Entry e = a[next[d]];
        for (size_t k = e.key >> shift & 0xFF; k != d; k = e.key >> shift & 0xFF) std::swap(e, a[next[k]++]);
        a[next[d]++] = e;
      }
    }
    if (byte == 0) return;
    for (size_t d = 0, at = 0; d < 256; at += count[d], ++d)
      if (count[d] > 1) SortByKey(a + at, count[d], byte - 1);
    return;
  }
}

void ColumnIndex::Finish() { SortByKey(m_entries.data(), m_entries.size(), 7); }

// The key of a value compared with a column of numbers. A text takes numeric
// affinity first, as SQLite gives it beside a numeric column ('5' = 5). False
// when the value is no number then (a text, a binary, NULL): `*null` tells NULL.
bool ColumnIndex::NumberKey(sqlite3_value* value, uint64_t* key, bool* null) const {
  *null = false;
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      *null = true;
      return false;
    case SQLITE_INTEGER:
      *key = IntegerKey(sqlite3_value_int64(value));
      return true;
    case SQLITE_FLOAT:
      *key = OrderedKey(sqlite3_value_double(value));
      return true;
    case SQLITE_TEXT: {
      sqlite3_value* copy = sqlite3_value_dup(value);
      if (!copy) return false;
      const int type = sqlite3_value_numeric_type(copy);
      if (type == SQLITE_INTEGER) *key = IntegerKey(sqlite3_value_int64(copy));
      else if (type == SQLITE_FLOAT) *key = OrderedKey(sqlite3_value_double(copy));
      sqlite3_value_free(copy);
      return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    }
    default:
      return false;
  }
}

void ColumnIndex::AppendKeys(uint64_t low, uint64_t high, std::vector<int64_t>* out) const {
  auto it = std::lower_bound(m_entries.begin(), m_entries.end(), low,
                             [](const Entry& e, uint64_t k) { return e.key < k; });
  for (; it != m_entries.end() && it->key <= high; ++it) out->push_back(it->position);
}

bool ColumnIndex::AppendEqual(sqlite3_value* value, std::vector<int64_t>* out) const {
  if (m_kind == Kind::Unusable) return false;
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL || m_kind == Kind::Empty) return true;  // NULL equals nothing
  if (m_kind == Kind::Texts) {
    // A number beside a text column may be compared as a number or as a text,
    // by the affinities of both sides: only a scan tells.
    if (type != SQLITE_TEXT) return false;
    const uint64_t key = JetTextHash(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                     sqlite3_value_bytes(value));
    AppendKeys(key, key, out);
    return true;
  }
  uint64_t key;
  bool null;
  // Only an exact BLOB equals an exact BLOB; a text that is no number, or a
  // binary, equals no number.
  if (m_kind == Kind::Exacts ? ExactIndexKey(value, &key) : NumberKey(value, &key, &null)) AppendKeys(key, key, out);
  return true;
}

bool ColumnIndex::AppendRange(sqlite3_value* low, sqlite3_value* high, std::vector<int64_t>* out) const {
  uint64_t from = 0, to = UINT64_MAX;
  bool null = false;
  if (m_kind == Kind::Exacts) {
    // Bounds that are exact BLOBs too; any other is left to a scan.
    if ((low && !ExactIndexKey(low, &from)) || (high && !ExactIndexKey(high, &to))) return false;
    if (from <= to) AppendKeys(from, to, out);
    return true;
  }
  if (m_kind != Kind::Numbers && m_kind != Kind::Empty) return false;
  // A text or a binary sorts after every number: only a scan tells which rows a
  // bound of that kind lets through.
  if (low && !NumberKey(low, &from, &null)) return null;  // a NULL bound lets nothing through
  if (high && !NumberKey(high, &to, &null)) return null;
  if (from <= to) AppendKeys(from, to, out);
  return true;
}

const ColumnIndex* TableIndexes::ForLookup(int column, uint64_t statement, bool range, const Builder& build) {
  if (statement != m_statement) {
    m_columns.clear();
    m_statement = statement;
  }
  Column& c = m_columns[column];
  if (!c.built) {
    if (range && !c.rangeSeen) {
      c.rangeSeen = true;
      return nullptr;
    }
    c.built = true;
    c.index = build();
  }
  return c.index.get();
}

}  // namespace jet
