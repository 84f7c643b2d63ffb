// Text as the file stores it, turned into UTF-8: Jet 4's UTF-16LE (plain or in its
// compressed form) and Jet 3's bytes in the database's code page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

// Equal without regard to ASCII case; other bytes must match exactly.
bool AsciiIEquals(const std::string& a, const std::string& b);
// A name Jet could have given a table, query or column: not empty, no NUL in it.
bool IsObjectName(const std::string& name);
// Whether two of the names are equal without regard to ASCII case (sorts the list).
bool HasRepeatedName(std::vector<const std::string*>& names);

// Appends the UTF-8 form of Jet 4 text (UTF-16LE, or the compressed form that starts
// with 0xFF 0xFE) to *out. Surrogate pairs become one character; a lone surrogate
// becomes U+FFFD.
void AppendJet4Text(const uint8_t* p, size_t len, std::string* out);

// Jet 3 text in one code page. Single-byte code pages go through a table built once;
// others (932, 936, 949, 950) through iconv per value.
class CodePageDecoder {
 public:
  // Unknown or unusable code pages fall back to 1252, what Western Windows wrote.
  explicit CodePageDecoder(uint16_t codePage);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;
  void Append(const uint8_t* p, size_t len, std::string* out);

 private:
  void* m_iconv = nullptr;     // iconv_t for multi-byte code pages
  std::string m_table[128];    // UTF-8 of bytes 0x80..0xFF for single-byte ones
  bool m_singleByte = true;
};

}  // namespace jet
