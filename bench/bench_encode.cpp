// The export's conversion to the output code page, in GBK (code page 936, the C
// locale's): a memo of 1,000,000 characters GBK cannot hold (Hangul; emoji and
// CJK beyond the Basic Multilingual Plane), each written as '?', against one of
// 1,000,000 Chinese characters it holds. Each memo is one record line through the
// export's writer into /dev/null, with a new encoder every run as an export has.
// The bound: text the code page cannot hold within 2x of text it holds.
#include <ctime>
#include <cstdio>
#include <string>

#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "export/TextWriter.h"

namespace {

constexpr int kChars = 1000000;
constexpr int kRuns = 10;

void AppendUtf8(char32_t c, std::string* s) {
  if (c < 0x800) {
    s->push_back(static_cast<char>(0xC0 | c >> 6));
  } else if (c < 0x10000) {
    s->push_back(static_cast<char>(0xE0 | c >> 12));
    s->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
  } else {
    s->push_back(static_cast<char>(0xF0 | c >> 18));
    s->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    s->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
  }
  s->push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

// kChars characters cycling through `count` code points from `first`.
std::string Memo(char32_t first, char32_t count) {
  std::string s;
  for (int i = 0; i < kChars; ++i) AppendUtf8(first + static_cast<char32_t>(i) % count, &s);
  return s;
}

// CPU nanoseconds a character, over kRuns exports of the memo.
double NsPerChar(const std::string& memo, size_t* bytes) {
  const TextFormat format{",", false, false};
  std::clock_t start = std::clock();
  for (int run = 0; run < kRuns; ++run) {
    TargetFile file;
    file.Open("/dev/null");
    TextEncoder encoder("CP936");
    TextWriter writer(format, encoder, file);
    writer.BeginLine();
    writer.AddField(memo);
    writer.EndRecord();
    writer.Flush();
    file.Close();
  }
  *bytes = memo.size();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC * 1e9 / kRuns / kChars;
}

}  // namespace

int main() {
  struct Case {
    const char* name;
    char32_t first, count;
  };
  const Case cases[] = {
      {"GBK-held CJK (U+4E00..)", 0x4E00, 20902},
      {"Hangul (U+AC00..), '?'", 0xAC00, 11172},
      {"emoji (U+1F300..), '?'", 0x1F300, 768},
      {"CJK Ext. B (U+20000..), '?'", 0x20000, 42711},
  };
  double held = 0;
  std::printf("%d-character memo, GBK target, CPU time over %d runs\n", kChars, kRuns);
  for (const Case& c : cases) {
    size_t bytes = 0;
    const double ns = NsPerChar(Memo(c.first, c.count), &bytes);
    if (held == 0) held = ns;
    std::printf("%-30s %7.1f ns/char  (%zu bytes of UTF-8)  %.2fx of GBK-held%s\n", c.name, ns,
                bytes, ns / held, ns / held <= 2.0 ? "" : "  ABOVE the 2x bound");
  }
  return 0;
}
