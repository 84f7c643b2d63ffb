// Jet's order of text (its "General" sort order), through ICU's collator: case
// ignored, an accented letter beside its base letter (México before Montréal,
// Mexico before México), full- and half-width forms and hiragana and katakana
// alike. In ICU's terms that is the root collation at secondary strength: base
// letters (primary) and accents (secondary) count; case, width and kana type
// (tertiary) do not. Punctuation and spaces keep their weight (no "shifted"
// alternate handling), as they do in Jet's comparisons, except hyphens and
// apostrophes, which count last (CompareJetText).
#include <unicode/ucol.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/jet/vba/Functions.h"
#include "platform/jet/vba/SortKey.h"

namespace jet {

namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

// One collator per thread: ICU's collators are cheap to share read-only, but
// opening one is not, and a statement may run on any thread.
UCollator* Collator() {
  thread_local std::unique_ptr<UCollator, CollatorCloser> collator(OpenJetCollator());
  return collator.get();
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// The answer for texts whose first difference lies between ASCII letters and
// digits (or that are equal but for ASCII case): the collator orders those as
// their lower-case bytes, and decides at that first difference. 2 when the texts
// need the collator.
int CompareAsciiPrefix(const unsigned char* p, const unsigned char* pe, const unsigned char* q,
                       const unsigned char* qe) {
  while (p < pe && q < qe && *p < 0x80 && *q < 0x80) {
    unsigned char x = FoldAscii(*p), y = FoldAscii(*q);
    if (x != y) return IsAsciiAlnum(x) && IsAsciiAlnum(y) ? (x < y ? -1 : 1) : 2;
    ++p, ++q;
  }
  if (p == pe && q == qe) return 0;
  // One text goes on: it is the greater when what follows is letters and digits.
  const unsigned char* rest = p < pe ? p : q;
  const unsigned char* end = p < pe ? pe : qe;
  if ((p < pe && q < qe) || rest >= end) return 2;
  for (const unsigned char* r = rest; r < end; ++r)
    if (!IsAsciiAlnum(*r)) return 2;
  return p < pe ? 1 : -1;
}

int Collate(const char* a, int aLen, const char* b, int bLen) {
  UCollator* c = Collator();
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = c ? ucol_strcollUTF8(c, a, aLen, b, bLen, &status) : UCOL_EQUAL;
  if (!c || U_FAILURE(status)) {  // no collator: plain bytes, still a total order
    int n = std::char_traits<char>::compare(a, b, static_cast<size_t>(aLen < bLen ? aLen : bLen));
    return n ? (n < 0 ? -1 : 1) : (aLen < bLen ? -1 : aLen > bLen ? 1 : 0);
  }
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::string WithoutWordMarks(std::string_view s) {
  std::string out;
  for (char ch : s)
    if (!IsWordMark(ch)) out += ch;
  return out;
}

}  // namespace

int CompareJetText(const char* a, int aLen, const char* b, int bLen) {
  auto* p = reinterpret_cast<const unsigned char*>(a);
  auto* q = reinterpret_cast<const unsigned char*>(b);
  int quick = CompareAsciiPrefix(p, p + aLen, q, q + bLen);
  if (quick != 2) return quick;
  // Hyphens and apostrophes count only where the texts are otherwise equal
  // (IsWordMark). The quick path above never decides past one of them.
  const std::string_view x(a, static_cast<size_t>(aLen)), y(b, static_cast<size_t>(bLen));
  if (std::any_of(x.begin(), x.end(), IsWordMark) || std::any_of(y.begin(), y.end(), IsWordMark)) {
    const std::string bareX = WithoutWordMarks(x), bareY = WithoutWordMarks(y);
    if (int r = Collate(bareX.data(), static_cast<int>(bareX.size()), bareY.data(), static_cast<int>(bareY.size())))
      return r;
    // Otherwise equal: the text with fewer of them comes first ("cars", "car's").
    const size_t marksX = x.size() - bareX.size(), marksY = y.size() - bareY.size();
    if (marksX != marksY) return marksX < marksY ? -1 : 1;
  }
  return Collate(a, aLen, b, bLen);
}

uint64_t JetTextHash(const char* text, int len) {
  uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a
  auto mix = [&h](const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ULL;
  };
  // Texts CompareJetText finds equal have equal keys.
  thread_local JetSortKeys keys;
  const std::basic_string_view<uint8_t> key = keys.Key(text, len);
  if (!key.empty()) {
    mix(key.data(), key.size());
    return h;
  }
  // No collator: texts compare as bytes, but for ASCII case.
  for (int i = 0; i < len; ++i) {
    const uint8_t b = FoldAscii(static_cast<unsigned char>(text[i]));
    mix(&b, 1);
  }
  return h;
}

}  // namespace jet
