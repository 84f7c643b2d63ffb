#include "platform/jet/file/JetText.h"

#include <iconv.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace jet {

static void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | c >> 6));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | c >> 12));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | c >> 18));
    out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Turns a sequence of UTF-16 code units into UTF-8, pairing surrogates across
// calls. The UTF-8 gathers in a small buffer of its own and is appended to the
// output a few hundred bytes at a time.
class Utf16Sink {
 public:
  explicit Utf16Sink(std::string* out) : m_out(out) {}
  ~Utf16Sink() {
    DropHigh();
    Drain();
  }
  void Put(uint32_t u) {
    if (m_n > sizeof m_buf - 8) Drain();
    if (u < 0x80 && !m_high) {  // the common case first
      m_buf[m_n++] = static_cast<char>(u);
      return;
    }
    if (m_high) {
      if (u >= 0xDC00 && u <= 0xDFFF) {
        Encode(0x10000 + ((m_high - 0xD800) << 10) + (u - 0xDC00));
        m_high = 0;
        return;
      }
      DropHigh();
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
      m_high = u;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      Encode(0xFFFD);
    } else {
      Encode(u);
    }
  }

 private:
  // A high surrogate without its partner stands for U+FFFD.
  void DropHigh() {
    if (m_high) Encode(0xFFFD);
    m_high = 0;
  }
  void Encode(uint32_t c) {
    char* p = m_buf + m_n;
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *p++ = static_cast<char>(0xC0 | c >> 6);
      *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *p++ = static_cast<char>(0xE0 | c >> 12);
      *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *p++ = static_cast<char>(0xF0 | c >> 18);
      *p++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
      *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    m_n = static_cast<size_t>(p - m_buf);
  }
  void Drain() {
    m_out->append(m_buf, m_n);
    m_n = 0;
  }

  std::string* m_out;
  uint32_t m_high = 0;
  char m_buf[256];
  size_t m_n = 0;
};

static unsigned char LowerAsciiByte(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + 32) : u;
}

bool AsciiIEquals(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAsciiByte(a[i]) != LowerAsciiByte(b[i])) return false;
  return true;
}

bool HasRepeatedName(std::vector<const std::string*>& names) {
  std::sort(names.begin(), names.end(), [](const std::string* a, const std::string* b) {
    return std::lexicographical_compare(
        a->begin(), a->end(), b->begin(), b->end(),
        [](char x, char y) { return LowerAsciiByte(x) < LowerAsciiByte(y); });
  });
  for (size_t i = 1; i < names.size(); ++i)
    if (AsciiIEquals(*names[i - 1], *names[i])) return true;
  return false;
}

bool IsObjectName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

void AppendJet4Text(const uint8_t* p, size_t len, std::string* out) {
  Utf16Sink sink(out);
  if (len >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    // Compressed: runs of one-byte characters (high byte 0) and of plain UTF-16,
    // each 0x00 byte switching from one kind of run to the other.
    bool compressed = true;
    size_t i = 2;
    while (i < len) {
      if (p[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        sink.Put(p[i++]);
      } else if (i + 1 < len) {
        sink.Put(static_cast<uint32_t>(p[i] | p[i + 1] << 8));
        i += 2;
      } else {
        break;
      }
    }
    return;
  }
  for (size_t i = 0; i + 1 < len; i += 2) sink.Put(static_cast<uint32_t>(p[i] | p[i + 1] << 8));
}

CodePageDecoder::CodePageDecoder(uint16_t codePage) {
  char name[16];
  std::snprintf(name, sizeof name, "CP%u", static_cast<unsigned>(codePage));
  iconv_t cd = codePage == 0 ? reinterpret_cast<iconv_t>(-1) : iconv_open("UTF-8", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No iconv at all: Latin-1 keeps the text readable.
    for (int b = 0x80; b < 0x100; ++b) { m_table[b - 0x80].clear(); AppendUtf8(b, &m_table[b - 0x80]); }
    return;
  }
  for (int b = 0x80; b < 0x100 && m_singleByte; ++b) {
    char in = static_cast<char>(b);
    char outBuf[8];
    char* ip = &in;
    char* op = outBuf;
    size_t il = 1, ol = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    if (r == static_cast<size_t>(-1)) {
      if (errno == EINVAL) m_singleByte = false;  // a lead byte: a multi-byte code page
      else m_table[b - 0x80] = "?";                // a hole in the code page
    } else {
      m_table[b - 0x80].assign(outBuf, op);
    }
  }
  if (m_singleByte) {
    iconv_close(cd);
  } else {
    m_iconv = cd;
  }
}

CodePageDecoder::~CodePageDecoder() {
  if (m_iconv) iconv_close(static_cast<iconv_t>(m_iconv));
}

void CodePageDecoder::Append(const uint8_t* p, size_t len, std::string* out) {
  if (m_singleByte) {
    out->reserve(out->size() + len);
    for (size_t i = 0; i < len; ++i) {
      if (p[i] < 0x80) out->push_back(static_cast<char>(p[i]));
      else out->append(m_table[p[i] - 0x80]);
    }
    return;
  }
  iconv_t cd = static_cast<iconv_t>(m_iconv);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* ip = reinterpret_cast<char*>(const_cast<uint8_t*>(p));
  size_t il = len;
  char buf[1024];
  while (il > 0) {
    char* op = buf;
    size_t ol = sizeof buf;
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    out->append(buf, op);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off sequence: mark it and go on with the next byte.
      out->push_back('?');
      ++ip;
      --il;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

}  // namespace jet
