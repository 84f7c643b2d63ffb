// jet_sortkey against CompareJetText: over every pair of a list of tricky texts,
// the keys' BLOB order is the comparison's order, equality included.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/jet/vba/Functions.h"
#include "platform/jet/vba/SortKey.h"

namespace {

using namespace std::string_literals;

struct Connection {
  Connection() {
    sqlite3_open(":memory:", &db);
    EXPECT_TRUE(jet::RegisterVbaFunctions(db));
    sqlite3_prepare_v2(db, ("select "s + jet::kSortKeyFunction + "(?), typeof(" + jet::kSortKeyFunction + "(?))").c_str(),
                       -1, &stmt, nullptr);
  }
  ~Connection() {
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
  // The key of a value bound by `bind`, with the type SQLite gives it.
  std::string Key(void (*bind)(sqlite3_stmt*, int, const std::string&), const std::string& v, std::string* type) {
    sqlite3_reset(stmt);
    bind(stmt, 1, v);
    bind(stmt, 2, v);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    *type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    const void* p = sqlite3_column_blob(stmt, 0);
    return std::string(static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
};

void BindText(sqlite3_stmt* s, int i, const std::string& v) {
  sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// As SQLite compares two BLOBs.
int BlobOrder(const std::string& a, const std::string& b) {
  const int r = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  return r ? Sign(r) : a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

TEST(VbaSortKey, OrdersAsTheComparison) {
  const std::vector<std::string> texts = {
      "", "a", "A", "ab", "ABC", "abc", "Beijing", "BEIJING", "apple", "Banana", "ÄÖÜ", "äöü", "u\xCC\x88", "Ü",
      "México", "Mexico", "MÉXICO", "Montréal", "Zürich", "Zurich", "é", "e", "Z", "Ｂ", "b", "ｱ", "ア", "あ",
      "a b", "a  b", "ab1", "ab2", "ab10", "1", "01", "10", "9", "_a", "ab-", "co-op", "coop", "Cop", "co--op",
      "car's", "cars", "carps", "Ö-b", "öb", "a\0b"s, "a\0"s, "ab\0"s, "\0"s, "北京", "上海", "東京", "东京",
      "😀", "😁", "a😀", "\xC3-\xA9", "\xC3\xA9", "\xFF", "ΣΟΦΙΑ", "σοφια", "-", "'", "--", "a-b-c", "ab-c",
      "Smith", "SMITH", "smith ", "Smith Anna 12", "Smith-Jones", "O'Brien", "OBrien", "Müller", "Muller",
      "Mueller", "a.b", "a,b", "a!b", "a~b", "a\tb", "a\x01b", "{}", "@", "#1", "$", "100", "99", "0.5", "A1b",
      "a1B", " ", "  ", "\x7f", "Øre", "ore", "Ore", std::string(300, 'x'), std::string(300, 'X') + "y",
      std::string(299, 'x') + "-", std::string(70, 'a') + "é"};
  Connection c;
  std::vector<std::string> keys;
  for (const std::string& t : texts) {
    std::string type;
    keys.push_back(c.Key(BindText, t, &type));
    EXPECT_EQ(type, "text") << t;
  }
  for (size_t i = 0; i < texts.size(); ++i)
    for (size_t j = 0; j < texts.size(); ++j) {
      const std::string& a = texts[i];
      const std::string& b = texts[j];
      const int cmp = Sign(jet::CompareJetText(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())));
      EXPECT_EQ(BlobOrder(keys[i], keys[j]), cmp) << a << " / " << b;
    }
}

// Texts of ASCII and Latin letters get their keys without the collator: the
// same bytes as its, whatever the letters around (contractions, accents).
TEST(VbaSortKey, TableKeysAreTheCollatorsKeys) {
  UCollator* collator = jet::OpenJetCollator();
  ASSERT_NE(collator, nullptr);
  jet::JetSortKeys keys;
  std::mt19937 random(7);
  for (int n = 0; n < 150000; ++n) {
    std::u16string wide(random() % (n % 100 ? 24 : 400), u' ');
    for (char16_t& ch : wide) {
      do ch = static_cast<char16_t>(n % 3 == 0 ? random() % 128 : n % 3 == 1 ? random() % 96 + 32 : random() % 0x250);
      while (ch < 0x80 && jet::IsWordMark(static_cast<char>(ch)));
    }
    std::string text;
    for (char16_t ch : wide) {
      if (ch < 0x80) text += static_cast<char>(ch);
      else text += {static_cast<char>(0xC0 | ch >> 6), static_cast<char>(0x80 | (ch & 0x3F))};
    }
    std::vector<uint8_t> expected(8 * wide.size() + 64);
    expected.resize(static_cast<size_t>(ucol_getSortKey(collator, reinterpret_cast<const UChar*>(wide.data()),
                                                        static_cast<int32_t>(wide.size()), expected.data(),
                                                        static_cast<int32_t>(expected.size()))));
    const std::basic_string_view<uint8_t> key = keys.Key(text.data(), static_cast<int>(text.size()));
    ASSERT_EQ(std::vector<uint8_t>(key.begin(), key.end()), expected) << text;
  }
  ucol_close(collator);
}

TEST(VbaSortKey, OtherValuesPassThrough) {
  Connection c;
  std::string type;
  EXPECT_EQ(c.Key([](sqlite3_stmt* s, int i, const std::string&) { sqlite3_bind_null(s, i); }, "", &type), "");
  EXPECT_EQ(type, "null");
  c.Key([](sqlite3_stmt* s, int i, const std::string&) { sqlite3_bind_int(s, i, 42); }, "", &type);
  EXPECT_EQ(type, "integer");
  c.Key([](sqlite3_stmt* s, int i, const std::string&) { sqlite3_bind_double(s, i, 2.5); }, "", &type);
  EXPECT_EQ(type, "real");
  EXPECT_EQ(c.Key([](sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_blob(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); }, "A\0b"s, &type), "A\0b"s);
  EXPECT_EQ(type, "blob");
}

}  // namespace
