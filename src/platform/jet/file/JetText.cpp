#include "platform/jet/file/JetText.h"

#include <iconv.h>
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

// Turns a sequence of UTF-16 code units into UTF-8, pairing surrogates across calls.
class Utf16Sink {
 public:
  explicit Utf16Sink(std::string* out) : m_out(out) {}
  ~Utf16Sink() { Flush(); }
  // No high surrogate waits for its partner.
  bool Idle() const { return m_high == 0; }
  void Put(uint32_t u) {
    if (u < 0x80 && !m_high) {  // the common case first
      m_out->push_back(static_cast<char>(u));
      return;
    }
    if (m_high) {
      if (u >= 0xDC00 && u <= 0xDFFF) {
        AppendUtf8(0x10000 + ((m_high - 0xD800) << 10) + (u - 0xDC00), m_out);
        m_high = 0;
        return;
      }
      Flush();
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
      m_high = u;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      AppendUtf8(0xFFFD, m_out);
    } else {
      AppendUtf8(u, m_out);
    }
  }

 private:
  void Flush() {
    if (m_high) AppendUtf8(0xFFFD, m_out);
    m_high = 0;
  }
  std::string* m_out;
  uint32_t m_high = 0;
};

bool AsciiIEquals(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

void AppendJet4Text(const uint8_t* p, size_t len, std::string* out) {
  const bool compressed = len >= 2 && p[0] == 0xFF && p[1] == 0xFE;
  // Runs of ASCII, most text, are copied a run at a time; the rest goes through
  // the sink a code unit at a time.
  Utf16Sink sink(out);
  auto asciiRun = [&](size_t i, size_t step) {
    size_t j = i;
    while (j + step <= len && p[j] != 0 && p[j] < 0x80 && (step == 1 || p[j + 1] == 0)) j += step;
    return j;
  };
  if (compressed) {
    // Compressed: runs of one-byte characters (high byte 0) and of plain UTF-16,
    // each 0x00 byte switching from one kind of run to the other.
    bool oneByte = true;
    size_t i = 2;
    while (i < len) {
      if (p[i] == 0) {
        oneByte = !oneByte;
        ++i;
      } else if (oneByte) {
        size_t j = sink.Idle() ? asciiRun(i, 1) : i;
        if (j > i) {
          out->append(reinterpret_cast<const char*>(p + i), j - i);
          i = j;
        } else {
          sink.Put(p[i++]);
        }
      } else if (i + 1 < len) {
        sink.Put(static_cast<uint32_t>(p[i] | p[i + 1] << 8));
        i += 2;
      } else {
        break;
      }
    }
    return;
  }
  size_t i = 0;
  while (i + 1 < len) {
    const size_t j = sink.Idle() ? asciiRun(i, 2) : i;
    if (j == i) {
      sink.Put(static_cast<uint32_t>(p[i] | p[i + 1] << 8));
      i += 2;
      continue;
    }
    const size_t at = out->size();
    out->resize(at + (j - i) / 2);
    for (char* o = &(*out)[at]; i < j; i += 2) *o++ = static_cast<char>(p[i]);
  }
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
