// Keys in Jet's order of text. CompareJetText decides in three steps: the texts
// without their hyphens and apostrophes through the collator; then the text with
// fewer of those marks first; then the whole texts through the collator. A key
// is those steps one after the other: the collator's key of the bare text
// (ending in its 0 byte, which no other byte of it is, so what follows decides
// only between equal bare texts), then, for a text that has marks, their count
// and the collator's key of the whole text. A text without marks has nothing
// after its first part: it is its own bare text, and comes before the same bare
// text with marks, as in the comparison.
//
// The collator's key costs about a microsecond a text, more than a sort spends
// on the text otherwise; plain ASCII texts get the same bytes from a table of the
// collator's weights, and the others are kept once computed.
#include "platform/jet/vba/SortKey.h"

#include <sqlite3.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>

#include "platform/jet/vba/Functions.h"

namespace jet {

const char kSortKeyFunction[] = "jet_sortkey";

UCollator* OpenJetCollator() {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* c = ucol_open("", &status);
  if (U_FAILURE(status)) return nullptr;
  ucol_setStrength(c, UCOL_SECONDARY);
  ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
  if (U_FAILURE(status)) {
    ucol_close(c);
    return nullptr;
  }
  return c;
}

namespace {

// ICU's compression of a run of common secondary weights at the end of a level:
// a byte per kCommonMaxCount of them, then one for the rest.
constexpr uint8_t kCommonLow = 0x05, kCommonMiddle = 0x25;
constexpr size_t kCommonMaxCount = 0x21;

// The collator's weights of the ASCII characters. At Jet's strength (primary and
// secondary levels) the collator's key of a text of ASCII characters is each
// character's primary weight in turn, the level separator 01, the count of their
// secondary weights (each the common weight) compressed as above, and 00;
// characters the collator ignores add nothing to either level. The table is read
// from the collator, and checked against it on probe texts: a character whose
// key has another form, or any disagreement (an ICU that weighs or compresses
// otherwise), leaves the texts concerned to the collator.
class AsciiWeights {
 public:
  AsciiWeights() {
    UCollator* c = OpenJetCollator();
    if (!c) return;
    for (int ch = 0; ch < 128; ++ch) Read(c, static_cast<char>(ch));
    ready_ = Probe(c);
    ucol_close(c);
  }

  // Appends the key of `text` when the table covers every character of it.
  bool Append(const char* text, int len, std::vector<uint8_t>* key, size_t* used) const {
    if (!ready_) return false;
    size_t need = 2, weighed = 0;
    for (int i = 0; i < len; ++i) {
      const auto ch = static_cast<unsigned char>(text[i]);
      if (ch >= 128 || !covered_[ch]) return false;
      need += size_[ch];
      weighed += size_[ch] != 0;
    }
    need += weighed / kCommonMaxCount + 1;
    if (key->size() < *used + need) key->resize(*used + need + 64);
    uint8_t* out = key->data() + *used;
    for (int i = 0; i < len; ++i) {
      const auto ch = static_cast<unsigned char>(text[i]);
      for (int b = 0; b < size_[ch]; ++b) *out++ = bytes_[ch][b];
    }
    *out++ = 0x01;
    if (weighed) {
      size_t rest = weighed - 1;
      for (; rest >= kCommonMaxCount; rest -= kCommonMaxCount) *out++ = kCommonMiddle;
      *out++ = static_cast<uint8_t>(kCommonLow + rest);
    }
    *out++ = 0x00;
    *used = static_cast<size_t>(out - key->data());
    return true;
  }

 private:
  static std::vector<uint8_t> CollatorKey(UCollator* c, const std::string& text) {
    std::vector<UChar> wide(text.begin(), text.end());
    std::vector<uint8_t> key(4 * text.size() + 64);
    const int32_t n = ucol_getSortKey(c, wide.data(), static_cast<int32_t>(wide.size()), key.data(),
                                      static_cast<int32_t>(key.size()));
    key.resize(n > 0 && static_cast<size_t>(n) <= key.size() ? static_cast<size_t>(n) : 0);
    return key;
  }

  // One character's key: its primary weight, 01, the common secondary 05, 00; or
  // 01 00 when the collator ignores it.
  void Read(UCollator* c, char ch) {
    const std::vector<uint8_t> key = CollatorKey(c, std::string(1, ch));
    const auto u = static_cast<unsigned char>(ch);
    if (key == std::vector<uint8_t>{0x01, 0x00}) {
      covered_[u] = true;
      return;
    }
    const size_t primary = key.size() - 3;
    if (key.size() < 4 || key.size() - 3 > sizeof bytes_[u] || key[primary] != 0x01 || key[primary + 1] != kCommonLow ||
        key[primary + 2] != 0x00)
      return;
    for (size_t b = 0; b < primary; ++b)
      if (key[b] <= 0x01) return;
    std::copy(key.begin(), key.begin() + static_cast<long>(primary), bytes_[u]);
    size_[u] = static_cast<uint8_t>(primary);
    covered_[u] = true;
  }

  bool Agrees(UCollator* c, const std::string& text) const {
    std::vector<uint8_t> mine;
    size_t used = 0;
    if (!Append(text.data(), static_cast<int>(text.size()), &mine, &used)) return true;
    mine.resize(used);
    return mine == CollatorKey(c, text);
  }

  // Each character between letters and repeated, runs of one letter up to past
  // several compression steps, and every character in one text.
  bool Probe(UCollator* c) {
    ready_ = true;
    std::string all;
    for (int ch = 0; ch < 128; ++ch) {
      if (!covered_[ch]) continue;
      const std::string one(1, static_cast<char>(ch));
      all += one;
      if (!Agrees(c, "a" + one + "a") || !Agrees(c, one + one + one) || !Agrees(c, one + "0" + one)) return false;
    }
    for (size_t n = 1; n <= 4 * kCommonMaxCount + 2; ++n)
      if (!Agrees(c, std::string(n, 'a'))) return false;
    return Agrees(c, all) && Agrees(c, all + all + all);
  }

  bool ready_ = false;
  bool covered_[128] = {};
  uint8_t size_[128] = {};
  uint8_t bytes_[128][4] = {};
};

const AsciiWeights& Ascii() {
  static const AsciiWeights weights;
  return weights;
}

}  // namespace

uint64_t SortKeyCache::Hash(std::string_view text) {
  uint64_t h = 0xcbf29ce484222325ULL ^ text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
  }
  for (; i < text.size(); ++i) h = (h ^ static_cast<uint8_t>(text[i])) * 0x100000001b3ULL;
  return h ^ (h >> 32) * 0x9E3779B97F4A7C15ULL;
}

size_t SortKeyCache::Slot(std::string_view text, uint64_t hash) const {
  const size_t mask = m_slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint64_t slot = m_slots[i];
    if (!slot) return i;
    if ((slot >> 32) != (hash >> 32)) continue;
    const uint8_t* e = m_entries.data() + (slot & 0xFFFFFFFFu) - 1;
    uint32_t textLen;
    std::memcpy(&textLen, e, 4);
    if (textLen == text.size() && std::memcmp(e + 8, text.data(), text.size()) == 0) return i;
  }
}

std::basic_string_view<uint8_t> SortKeyCache::Find(std::string_view text) const {
  if (m_slots.empty()) return {};
  const uint64_t slot = m_slots[Slot(text, Hash(text))];
  if (!slot) return {};
  const uint8_t* e = m_entries.data() + (slot & 0xFFFFFFFFu) - 1;
  uint32_t keyLen;
  std::memcpy(&keyLen, e + 4, 4);
  return {e + 8 + text.size(), keyLen};
}

void SortKeyCache::Clear() {
  m_slots.assign(1024, 0);
  m_entries.clear();
  m_count = 0;
}

void SortKeyCache::Add(std::string_view text, std::basic_string_view<uint8_t> key) {
  const size_t size = 8 + text.size() + key.size();
  if (m_slots.empty() || m_entries.size() + size + 8 * m_slots.size() > kBytes) Clear();
  if (size > kBytes / 16) return;
  if (2 * (m_count + 1) > m_slots.size()) {
    // Twice the slots, the entries where they were.
    std::vector<uint64_t> old(2 * m_slots.size(), 0);
    old.swap(m_slots);
    for (const uint64_t slot : old) {
      if (!slot) continue;
      const uint8_t* e = m_entries.data() + (slot & 0xFFFFFFFFu) - 1;
      uint32_t textLen;
      std::memcpy(&textLen, e, 4);
      const std::string_view t(reinterpret_cast<const char*>(e + 8), textLen);
      m_slots[Slot(t, Hash(t))] = slot;
    }
  }
  const uint64_t hash = Hash(text);
  const size_t at = Slot(text, hash);
  if (m_slots[at]) return;
  const auto place = static_cast<uint32_t>(m_entries.size());
  const auto textLen = static_cast<uint32_t>(text.size()), keyLen = static_cast<uint32_t>(key.size());
  m_entries.resize(m_entries.size() + size);
  uint8_t* e = m_entries.data() + place;
  std::memcpy(e, &textLen, 4);
  std::memcpy(e + 4, &keyLen, 4);
  std::memcpy(e + 8, text.data(), text.size());
  std::memcpy(e + 8 + text.size(), key.data(), key.size());
  m_slots[at] = (hash >> 32 << 32) | (place + 1u);
  ++m_count;
}

JetSortKeys::JetSortKeys() : m_collator(OpenJetCollator()) { Ascii(); }
JetSortKeys::~JetSortKeys() {
  if (m_collator) ucol_close(m_collator);
}

bool JetSortKeys::AppendCollationKey(const char* text, int len, size_t* used) {
  if (Ascii().Append(text, len, &m_key, used)) return true;
  const size_t room = static_cast<size_t>(len) + 1;
  if (m_wide.size() < room) m_wide.resize(room);
  UErrorCode status = U_ZERO_ERROR;
  int32_t units = 0;
  // As ucol_strcollUTF8 reads it: a malformed sequence is U+FFFD.
  u_strFromUTF8WithSub(m_wide.data(), static_cast<int32_t>(m_wide.size()), &units, text, len, 0xFFFD, nullptr,
                       &status);
  if (U_FAILURE(status)) return false;
  // Most keys take about two bytes a character; the collator says when more.
  if (m_key.size() < *used + 2 * static_cast<size_t>(units) + 16) m_key.resize(*used + 4 * static_cast<size_t>(units) + 64);
  auto free = static_cast<int32_t>(std::min<size_t>(m_key.size() - *used, INT32_MAX));
  int32_t n = ucol_getSortKey(m_collator, m_wide.data(), units, m_key.data() + *used, free);
  if (n > free) {
    m_key.resize(*used + static_cast<size_t>(n));
    free = n;
    n = ucol_getSortKey(m_collator, m_wide.data(), units, m_key.data() + *used, free);
  }
  if (n <= 0 || n > free) return false;
  *used += static_cast<size_t>(n);
  return true;
}

std::basic_string_view<uint8_t> JetSortKeys::Key(const char* text, int len) {
  if (!m_collator || len < 0) return {};
  const bool ascii = std::all_of(text, text + len, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return ComputeKey(text, len);
  const std::string_view t(text, static_cast<size_t>(len));
  if (const auto hit = m_cache.Find(t); !hit.empty()) return hit;
  const std::basic_string_view<uint8_t> key = ComputeKey(text, len);
  if (!key.empty()) m_cache.Add(t, key);
  return key;
}

std::basic_string_view<uint8_t> JetSortKeys::ComputeKey(const char* text, int len) {
  const char* bare = text;
  int bareLen = len;
  const auto marks = static_cast<uint32_t>(std::count_if(text, text + len, IsWordMark));
  if (marks) {
    m_bare.clear();
    std::copy_if(text, text + len, std::back_inserter(m_bare), [](char c) { return !IsWordMark(c); });
    bare = m_bare.data();
    bareLen = static_cast<int>(m_bare.size());
  }
  size_t used = 0;
  if (!AppendCollationKey(bare, bareLen, &used)) return {};
  if (marks) {
    if (m_key.size() < used + 4) m_key.resize(used + 4);
    for (int shift = 24; shift >= 0; shift -= 8) m_key[used++] = static_cast<uint8_t>(marks >> shift);
    if (!AppendCollationKey(text, len, &used)) return {};
  }
  return {m_key.data(), used};
}

namespace {

// jet_sortkey(value): a text's key as a BLOB; NULL, numbers and BLOBs as they are.
void SortKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (sqlite3_value_type(v) != SQLITE_TEXT) return sqlite3_result_value(ctx, v);
  auto* keys = static_cast<JetSortKeys*>(sqlite3_user_data(ctx));
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  const std::basic_string_view<uint8_t> key = keys->Key(text, sqlite3_value_bytes(v));
  if (key.empty()) return sqlite3_result_error_nomem(ctx);
  sqlite3_result_blob(ctx, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

void DeleteSortKeys(void* keys) { delete static_cast<JetSortKeys*>(keys); }

}  // namespace

bool RegisterSortKeyFunction(sqlite3* db) {
  auto* keys = new JetSortKeys();
  if (!keys->Ready()) {
    delete keys;
    return false;
  }
  // SQLite destroys `keys` with the function, also when it refuses to register it.
  return sqlite3_create_function_v2(db, kSortKeyFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, keys,
                                    SortKeyFunction, nullptr, nullptr, DeleteSortKeys) == SQLITE_OK;
}

}  // namespace jet
