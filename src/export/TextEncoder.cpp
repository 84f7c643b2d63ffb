#include "export/TextEncoder.h"

#include <langinfo.h>
#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool TextEncoder::KeepsAscii(const std::string& charset) {
  if (IsUtf8(charset)) return true;
  iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char ascii[128];
  for (int c = 1; c < 128; ++c) ascii[c - 1] = static_cast<char>(c);
  char out[512];
  char* in = ascii;
  size_t inLeft = 127, outLeft = sizeof out;
  char* o = out;
  const bool converted = iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1) &&
                         iconv(cd, nullptr, nullptr, &o, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  return converted && o - out == 127 && std::memcmp(out, ascii, 127) == 0;
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
  // Encodings with shift states or byte order marks give a character different
  // bytes in different places: those convert whole lines.
  m_stateless = true;
  for (const char* stateful : {"2022", "UTF-7", "UTF7", "UTF-16", "UTF16", "UTF-32", "UTF32", "UCS"}) {
    if (strcasestr(m_charset.c_str(), stateful) != nullptr) m_stateless = false;
  }
}

TextEncoder::~TextEncoder() {
  if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at p (no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0 for anything else.
static uint32_t ScalarValue(const unsigned char* p, size_t length) {
  switch (length) {
    case 2:
      return p[0] >= 0xC2 && p[0] <= 0xDF ? (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu) : 0;
    case 3: {
      const uint32_t c = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
      return p[0] >= 0xE0 && p[0] <= 0xEF && c >= 0x800 && (c < 0xD800 || c > 0xDFFF) ? c : 0;
    }
    case 4: {
      const uint32_t c = (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
      return p[0] >= 0xF0 && p[0] <= 0xF4 && c >= 0x10000 && c <= 0x10FFFF ? c : 0;
    }
    default:
      return 0;
  }
}

void TextEncoder::Append(std::string_view utf8, std::string* out) {
  if (m_identity) {
    out->append(utf8);
    return;
  }
  if (!m_stateless) {
    ConvertRest(utf8, out);
    return;
  }
  // ASCII is itself in every locale character set, and most exported text is
  // ASCII: runs of it are copied as they are.
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  size_t i = 0;
  while (i < n) {
    size_t j = i;
    while (j < n && p[j] < 0x80) ++j;
    out->append(utf8.data() + i, j - i);
    i = j;
    if (i == n) return;
    const size_t length = SequenceLength(p + i, n - i);
    const std::string_view sequence = utf8.substr(i, length);
    if (const uint32_t c = ScalarValue(p + i, length)) {
      const Encoded& e = EncodedChar(c, sequence);
      out->append(e.bytes, e.size);
      m_replaced += e.replaced;
    } else {
      ConvertRest(sequence, out);  // broken UTF-8: one '?', as iconv takes it
    }
    i += length;
  }
}

const TextEncoder::Encoded& TextEncoder::EncodedChar(uint32_t c, std::string_view utf8) {
  constexpr uint32_t kPageSize = 1u << kPageBits;
  if (m_pages.empty()) m_pages.resize((0x10FFFF >> kPageBits) + 1);
  std::unique_ptr<Encoded[]>& page = m_pages[c >> kPageBits];
  if (!page) page = std::make_unique<Encoded[]>(kPageSize);
  Encoded& e = page[c & (kPageSize - 1)];
  if (!e.known) {
    // Counted where the character is written, each time, not here once.
    const uint64_t replacedBefore = m_replaced;
    std::string bytes;
    ConvertRest(utf8, &bytes);
    e.replaced = m_replaced != replacedBefore;
    m_replaced = replacedBefore;
    if (bytes.size() > sizeof e.bytes) {
      bytes = "?";
      e.replaced = true;
    }
    e.known = true;
    e.size = static_cast<uint8_t>(bytes.size());
    bytes.copy(e.bytes, bytes.size());
  }
  return e;
}

// iconv over the whole of utf8; a character the target cannot hold becomes one
// '?', as the Windows conversion's default character did; so does each broken
// UTF-8 sequence. iconv is given the text in short pieces, each ending before a
// character starts: after a failure it converts what it was given once more up
// to that point, so a long piece would make every '?' cost as much as the piece.
void TextEncoder::ConvertRest(std::string_view utf8, std::string* out) {
  constexpr size_t kPiece = 256;
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char buf[1024];
  iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    size_t piece = std::min(inLeft, kPiece);
    while (piece < inLeft && (static_cast<unsigned char>(in[piece]) & 0xC0) == 0x80) ++piece;
    size_t pieceLeft = piece;
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(m_cd, &in, &pieceLeft, &o, &oLeft);
    out->append(buf, static_cast<size_t>(o - buf));
    inLeft -= piece - pieceLeft;
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ (not in the target, or not UTF-8) or EINVAL (cut short at the end).
    size_t skip = SequenceLength(reinterpret_cast<unsigned char*>(in), inLeft);
    out->push_back('?');
    ++m_replaced;
    in += skip;
    inLeft -= skip;
  }
  char* o = buf;
  size_t oLeft = sizeof buf;
  iconv(m_cd, nullptr, nullptr, &o, &oLeft);  // a stateful target's closing shift
  out->append(buf, static_cast<size_t>(o - buf));
}
