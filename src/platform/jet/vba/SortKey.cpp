// Keys in Jet's order of text. CompareJetText decides in three steps: the texts
// without their hyphens and apostrophes through the collator; then the text with
// fewer of those marks first; then the whole texts through the collator. A key
// is those steps one after the other: the collator's key of the bare text
// (ending in its 0 byte, which no other byte of it is, so what follows decides
// only between equal bare texts), then, for a text that has marks, their count
// and the collator's key of the whole text. A text without marks has nothing
// after its first part: it is its own bare text, and comes before the same bare
// text with marks, as in the comparison.
#include "platform/jet/vba/SortKey.h"

#include <sqlite3.h>
#include <unicode/ustring.h>

#include <algorithm>

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

JetSortKeys::JetSortKeys() : m_collator(OpenJetCollator()) {}
JetSortKeys::~JetSortKeys() {
  if (m_collator) ucol_close(m_collator);
}

bool JetSortKeys::AppendCollationKey(const char* text, int len, size_t* used) {
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
