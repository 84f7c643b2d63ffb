// Text as Jet stores it, turned into UTF-8.
#include <gtest/gtest.h>

#include "platform/jet/file/JetText.h"

namespace {

std::string Jet4(const std::vector<uint8_t>& bytes) {
  std::string out;
  jet::AppendJet4Text(bytes.data(), bytes.size(), &out);
  return out;
}

TEST(JetText, Utf16WithSurrogatePairs) {
  // "a中" then U+20BB7 (a surrogate pair), then an empty text.
  EXPECT_EQ(Jet4({'a', 0, 0x2D, 0x4E, 0x42, 0xD8, 0xB7, 0xDF}), "a\xE4\xB8\xAD\xF0\xA0\xAE\xB7");
  EXPECT_EQ(Jet4({}), "");
  // A lone surrogate cannot be UTF-8: it becomes U+FFFD rather than vanishing.
  EXPECT_EQ(Jet4({0x42, 0xD8, 'x', 0}), "\xEF\xBF\xBDx");
}

TEST(JetText, CompressedForm) {
  // 0xFF 0xFE, one-byte characters, 0x00 switches to UTF-16 and back.
  EXPECT_EQ(Jet4({0xFF, 0xFE, 'H', 'i', 0x00, 0x2D, 0x4E, 0x00, '!'}), "Hi\xE4\xB8\xAD!");
  EXPECT_EQ(Jet4({0xFF, 0xFE}), "");
  // Latin-1 characters stay one byte in the compressed runs.
  EXPECT_EQ(Jet4({0xFF, 0xFE, 'M', 0xE9}), "M\xC3\xA9");
}

TEST(JetText, Jet3CodePages) {
  std::string out;
  jet::CodePageDecoder western(1252);
  const uint8_t umlaut[] = {'U', 'm', 's', 0xE4, 't', 'z', 'e', 0x80};
  western.Append(umlaut, sizeof umlaut, &out);
  EXPECT_EQ(out, "Ums\xC3\xA4tze\xE2\x82\xAC");
  out.clear();
  jet::CodePageDecoder chinese(936);
  const uint8_t zhong[] = {0xD6, 0xD0, 'a', 0xCE, 0xC4, 0xD6};  // "中a文" then half a character
  chinese.Append(zhong, sizeof zhong, &out);
  EXPECT_EQ(out, "\xE4\xB8\xAD" "a\xE6\x96\x87?");
  out.clear();
  jet::CodePageDecoder unknown(0);  // no code page recorded: Western Windows
  unknown.Append(umlaut, 4, &out);
  EXPECT_EQ(out, "Ums\xC3\xA4");
}

}  // namespace
