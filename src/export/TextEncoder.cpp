#include "export/TextEncoder.h"

#include <langinfo.h>
#include <strings.h>
#include <cerrno>

namespace {

bool IsPlainAscii(const char* cs) {
  return strcasecmp(cs, "ANSI_X3.4-1968") == 0 || strcasecmp(cs, "ASCII") == 0 ||
         strcasecmp(cs, "US-ASCII") == 0;
}

bool IsUtf8(const std::string& cs) {
  return strcasecmp(cs.c_str(), "UTF-8") == 0 || strcasecmp(cs.c_str(), "UTF8") == 0;
}

// Bytes of the UTF-8 sequence that starts at p (at most left): the lead byte and
// the continuation bytes it announces, so one broken character costs one '?'.
size_t SequenceLength(const unsigned char* p, size_t left) {
  size_t want = 1;
  if (p[0] >= 0xF0) want = 4;
  else if (p[0] >= 0xE0) want = 3;
  else if (p[0] >= 0xC0) want = 2;
  size_t n = 1;
  while (n < want && n < left && (p[n] & 0xC0) == 0x80) ++n;
  return n;
}

}  // namespace

std::string TextEncoder::OutputCharset() {
  const char* cs = nl_langinfo(CODESET);
  if (cs == nullptr || *cs == '\0' || IsPlainAscii(cs)) return "CP936";
  return cs;
}

TextEncoder::TextEncoder(const std::string& charset) : m_charset(charset) {
  if (IsUtf8(m_charset)) {
    m_identity = true;
    return;
  }
  // No //TRANSLIT: an unrepresentable character must become '?', never a look-alike.
  m_cd = iconv_open(m_charset.c_str(), "UTF-8");
  if (m_cd == reinterpret_cast<iconv_t>(-1)) {
    // A locale whose character set iconv does not know: write GBK, the code page
    // the program's own texts are in.
    m_charset = "CP936";
    m_cd = iconv_open(m_charset.c_str(), "UTF-8");
  }
}

TextEncoder::~TextEncoder() {
  if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
}

void TextEncoder::Append(std::string_view utf8, std::string* out) {
  // ASCII is itself in every locale character set, and most exported text is
  // ASCII: copy that part without going through iconv.
  size_t ascii = 0;
  while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
  if (m_identity || ascii == utf8.size()) {
    out->append(utf8);
    return;
  }
  out->append(utf8.data(), ascii);

  char* in = const_cast<char*>(utf8.data()) + ascii;
  size_t inLeft = utf8.size() - ascii;
  char buf[1024];
  iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(m_cd, &in, &inLeft, &o, &oLeft);
    out->append(buf, static_cast<size_t>(o - buf));
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ (not in the target, or not UTF-8) or EINVAL (cut short at the end).
    size_t skip = SequenceLength(reinterpret_cast<unsigned char*>(in), inLeft);
    out->push_back('?');
    in += skip;
    inLeft -= skip;
  }
  char* o = buf;
  size_t oLeft = sizeof buf;
  iconv(m_cd, nullptr, nullptr, &o, &oLeft);  // a stateful target's closing shift
  out->append(buf, static_cast<size_t>(o - buf));
}
