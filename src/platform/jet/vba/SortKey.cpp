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
// on the text otherwise; texts of ASCII and Latin letters get the same bytes from
// a table of the collator's weights, and the others are kept once computed.
#include "platform/jet/vba/SortKey.h"

#include <sqlite3.h>
#include <unicode/uset.h>
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

// ICU's compression of a run of common secondary weights: a byte per
// kCommonMaxCount of them, then one that counts the rest, counting up from
// kCommonLow before a lower weight or the end of the level, down from
// kCommonHigh before a higher one.
constexpr uint8_t kCommon = 0x05, kCommonMiddle = 0x25, kCommonHigh = 0x45;
constexpr size_t kCommonMaxCount = 0x21;

// The characters the table may weigh: ASCII, Latin-1 and Latin Extended-A and -B.
constexpr char32_t kWeighed = 0x250;

// The collator's weights of the letters of Western texts, for keys without the
// collator. At Jet's strength (primary and secondary levels) the collator's key
// of a text is the primary weights of its characters in turn, the level
// separator 01, their secondary weights with runs of the common one compressed
// as above, and 00. Where no character of a text is part of a contraction or a
// combining mark, each character's weights are its own, read from its key
// alone. The table is read from the collator and checked against it on probe
// texts: a character whose key has another form, or any disagreement (an ICU
// that weighs or compresses otherwise), leaves the texts concerned to the
// collator.
class LatinWeights {
 public:
  LatinWeights() {
    UCollator* c = OpenJetCollator();
    if (!c) return;
    Contracted(c);
    for (char32_t ch = 0; ch < kWeighed; ++ch)
      if (!m_chars[ch].excluded) Read(c, ch);
    m_ready = Probe(c);
    ucol_close(c);
  }

  // Appends the key of a UTF-8 text when the table covers every character of it;
  // `secondaries` is room for that level.
  bool Append(const char* text, int len, std::vector<uint8_t>* key, size_t* used,
              std::vector<uint8_t>* secondaries) const {
    if (!m_ready) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + len;
    if (key->size() < *used + 4 * static_cast<size_t>(len) + 2) key->resize(*used + 4 * static_cast<size_t>(len) + 64);
    secondaries->clear();
    uint8_t* out = key->data() + *used;
    size_t commons = 0;
    while (p < end) {
      char32_t ch = *p++;
      if (ch >= 0x80) {
        // Two bytes of UTF-8 reach every weighed character.
        if (ch < 0xC2 || ch > 0xDF || p == end || (*p & 0xC0) != 0x80) return false;
        ch = (ch & 0x1F) << 6 | (*p++ & 0x3F);
        if (ch >= kWeighed) return false;
      }
      const Char& w = m_chars[ch];
      if (!w.covered) return false;
      for (int b = 0; b < w.primaries; ++b) *out++ = w.primary[b];
      for (int s = 0; s < w.secondaries; ++s) {
        if (!w.secondary[s]) {
          ++commons;
          continue;
        }
        // An explicit weight: first the commons before it.
        if (commons) Commons(secondaries, commons, w.secondary[s] > kCommon), commons = 0;
        secondaries->push_back(w.secondary[s]);
      }
    }
    if (commons) Commons(secondaries, commons, false);
    *out++ = 0x01;
    if (key->size() < static_cast<size_t>(out - key->data()) + secondaries->size() + 1) {
      const size_t at = static_cast<size_t>(out - key->data());
      key->resize(at + secondaries->size() + 64);
      out = key->data() + at;
    }
    out = std::copy(secondaries->begin(), secondaries->end(), out);
    *out++ = 0x00;
    *used = static_cast<size_t>(out - key->data());
    return true;
  }

 private:
  struct Char {
    bool covered = false, excluded = false;
    uint8_t primaries = 0, secondaries = 0;
    uint8_t primary[4] = {};
    uint8_t secondary[6] = {};  // 0 for the common weight, else a byte of another
  };

  static void Commons(std::vector<uint8_t>* out, size_t n, bool higherNext) {
    --n;
    for (; n >= kCommonMaxCount; n -= kCommonMaxCount) out->push_back(kCommonMiddle);
    out->push_back(static_cast<uint8_t>(higherNext ? kCommonHigh - n : kCommon + n));
  }

  static std::u16string Utf16(const std::u32string& text) {
    std::u16string out;
    for (char32_t ch : text) out += static_cast<char16_t>(ch);  // all below U+0250
    return out;
  }
  static std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t ch : text) {
      if (ch < 0x80) {
        out += static_cast<char>(ch);
      } else {
        out += static_cast<char>(0xC0 | ch >> 6);
        out += static_cast<char>(0x80 | (ch & 0x3F));
      }
    }
    return out;
  }

  static std::vector<uint8_t> CollatorKey(UCollator* c, const std::u32string& text) {
    const std::u16string wide = Utf16(text);
    std::vector<uint8_t> key(8 * text.size() + 64);
    const int32_t n = ucol_getSortKey(c, reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                                      key.data(), static_cast<int32_t>(key.size()));
    key.resize(n > 0 && static_cast<size_t>(n) <= key.size() ? static_cast<size_t>(n) : 0);
    return key;
  }

  // Characters of a contraction (or a prefix) of the collator are weighed by
  // what is around them: not by the table.
  void Contracted(UCollator* c) {
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(c, contractions, nullptr, false, &status);
    const int32_t n = uset_size(contractions) ? uset_getItemCount(contractions) : 0;
    for (int32_t i = 0; U_SUCCESS(status) && i < n; ++i) {
      UChar32 start = 0, last = 0;
      UChar text[64];
      const int32_t len = uset_getItem(contractions, i, &start, &last, text, 64, &status);
      // One outside the table keeps the contraction out of every text it covers.
      if (len <= 0 || std::any_of(text, text + len, [](UChar ch) { return ch >= kWeighed; })) continue;
      for (int32_t k = 0; k < len; ++k) m_chars[text[k]].excluded = true;
    }
    if (U_FAILURE(status)) m_chars[0].excluded = true, m_failed = true;
    uset_close(contractions);
  }

  // One character's weights from its key alone: primary bytes, 01, secondary
  // bytes (a run of commons as its compressed byte), 00.
  void Read(UCollator* c, char32_t ch) {
    const std::vector<uint8_t> key = CollatorKey(c, std::u32string(1, ch));
    Char w;
    size_t i = 0;
    for (; i < key.size() && key[i] > 0x01; ++i) {
      if (w.primaries == sizeof w.primary) return;
      w.primary[w.primaries++] = key[i];
    }
    if (i >= key.size() || key[i] != 0x01 || key.back() != 0x00) return;
    for (++i; i + 1 < key.size(); ++i) {
      const uint8_t b = key[i];
      const size_t run = b == kCommonMiddle ? kCommonMaxCount : b > kCommon && b < kCommonMiddle ? b - kCommon + 1u
                         : b > kCommonMiddle && b <= kCommonHigh ? kCommonHigh - b + 1u : b == kCommon ? 1u : 0u;
      for (size_t k = 0; k < (run ? run : 1); ++k) {
        if (w.secondaries == sizeof w.secondary || b <= 0x01) return;
        w.secondary[w.secondaries++] = run ? 0 : b;
      }
    }
    // A combining mark alone has no primary weight and follows another character.
    if (!w.primaries && w.secondaries) return;
    w.covered = true;
    m_chars[ch] = w;
  }

  bool Agrees(UCollator* c, const std::u32string& text) const {
    std::vector<uint8_t> mine, secondaries;
    size_t used = 0;
    const std::string utf8 = Utf8(text);
    if (!Append(utf8.data(), static_cast<int>(utf8.size()), &mine, &used, &secondaries)) return true;
    mine.resize(used);
    return mine == CollatorKey(c, text);
  }

  // Each character alone, between letters, beside accented ones and repeated;
  // runs of one letter past several compression steps; every character in one
  // text.
  bool Probe(UCollator* c) {
    if (m_failed) return false;
    m_ready = true;
    std::u32string all;
    for (char32_t ch = 0; ch < kWeighed; ++ch) {
      if (!m_chars[ch].covered) continue;
      const std::u32string one(1, ch);
      all += one;
      if (!Agrees(c, one) || !Agrees(c, U"a" + one + U"a") || !Agrees(c, one + one + one) ||
          !Agrees(c, U"\u00e9" + one + U"\u00e9") || !Agrees(c, one + U"0" + one))
        return false;
    }
    for (size_t n = 1; n <= 4 * kCommonMaxCount + 2; ++n)
      if (!Agrees(c, std::u32string(n, U'a')) || !Agrees(c, std::u32string(n, U'a') + U"\u00e9")) return false;
    return Agrees(c, all) && Agrees(c, all + all + all);
  }

  bool m_ready = false, m_failed = false;
  Char m_chars[kWeighed];
};

const LatinWeights& Latin() {
  static const LatinWeights weights;
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

JetSortKeys::JetSortKeys() : m_collator(OpenJetCollator()) {}
JetSortKeys::~JetSortKeys() {
  if (m_collator) ucol_close(m_collator);
}

bool JetSortKeys::AppendCollationKey(const char* text, int len, size_t* used, bool tableOnly) {
  if (Latin().Append(text, len, &m_key, used, &m_secondaries)) return true;
  if (tableOnly) return false;
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
  // Texts the table weighs are computed, not looked up: no cheaper.
  if (const auto key = ComputeKey(text, len, true); !key.empty()) return key;
  const std::string_view t(text, static_cast<size_t>(len));
  if (const auto hit = m_cache.Find(t); !hit.empty()) return hit;
  const std::basic_string_view<uint8_t> key = ComputeKey(text, len, false);
  if (!key.empty()) m_cache.Add(t, key);
  return key;
}

std::basic_string_view<uint8_t> JetSortKeys::ComputeKey(const char* text, int len, bool tableOnly) {
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
  if (!AppendCollationKey(bare, bareLen, &used, tableOnly)) return {};
  if (marks) {
    if (m_key.size() < used + 4) m_key.resize(used + 4);
    for (int shift = 24; shift >= 0; shift -= 8) m_key[used++] = static_cast<uint8_t>(marks >> shift);
    if (!AppendCollationKey(text, len, &used, tableOnly)) return {};
  }
  return {m_key.data(), used};
}

namespace {

// jet_sortkey(value): a text's key; NULL, numbers and BLOBs as they are. The key
// goes back as TEXT, which a function's result compares as bytes (BINARY): it
// then stays among the texts in a sort, after NULLs and numbers as the text was,
// and SQLite's sorter compares it without unpacking its records, as it does a
// first key of TEXT or INTEGER (not of BLOB). The bytes are no UTF-8, which no
// one reads: the connections are UTF-8, so SQLite converts nothing.
void SortKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (sqlite3_value_type(v) != SQLITE_TEXT) return sqlite3_result_value(ctx, v);
  auto* keys = static_cast<JetSortKeys*>(sqlite3_user_data(ctx));
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  const std::basic_string_view<uint8_t> key = keys->Key(text, sqlite3_value_bytes(v));
  if (key.empty()) return sqlite3_result_error_nomem(ctx);
  sqlite3_result_text(ctx, reinterpret_cast<const char*>(key.data()), static_cast<int>(key.size()), SQLITE_TRANSIENT);
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
