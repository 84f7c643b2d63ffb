// The output file's code page. Text is UTF-8 inside the program; only the export
// file is converted, into the locale's character set, where plain ASCII (the C or
// POSIX locale) stands for GBK as Windows code page 936 (iconv's CP936).
#pragma once
#include <iconv.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TextEncoder {
 public:
  // The locale's character set as set at start-up (setlocale(LC_ALL, "")), with
  // plain ASCII taken as CP936.
  static std::string OutputCharset();

  // Whether iconv knows `charset` and writes ASCII in it as ASCII: the writer puts
  // separators, quotes and line ends in as single bytes, so only such a character
  // set can be asked for by name (UTF-16 cannot, GB18030 and ISO-8859-x can).
  static bool KeepsAscii(const std::string& charset);

  explicit TextEncoder(const std::string& charset = OutputCharset());
  ~TextEncoder();
  TextEncoder(const TextEncoder&) = delete;
  TextEncoder& operator=(const TextEncoder&) = delete;

  // Appends utf8 in the target code page to *out. A character the target cannot
  // hold becomes one '?', as the Windows conversion's default character did; so
  // does each broken UTF-8 sequence. A UTF-8 target takes the bytes as they are.
  void Append(std::string_view utf8, std::string* out);

  const std::string& charset() const { return m_charset; }
  // How many characters (and broken sequences) have become '?' so far: the user is
  // told of them after the export, and a strict run stops at the first.
  uint64_t Replaced() const { return m_replaced; }

 private:
  // A character's bytes in the target code page, asked of iconv once. Some have
  // none: iconv drops the language tags (U+E0000 to U+E007F).
  struct Encoded {
    bool known = false;
    bool replaced = false;  // the bytes are the '?' of a character the target lacks
    uint8_t size = 0;
    char bytes[6];
  };
  static constexpr uint32_t kPageBits = 8;

  const Encoded& EncodedChar(uint32_t c, std::string_view utf8);
  void ConvertRest(std::string_view utf8, std::string* out);

  std::string m_charset;
  iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
  bool m_identity = false;
  // Every character met so far, in a target without shift states, in pages of 256
  // code points made when first needed: most exported text repeats a small set of
  // characters, and one that the target cannot hold then costs no more than one it
  // can (iconv's error path costs tens of microseconds a call).
  bool m_stateless = false;
  std::vector<std::unique_ptr<Encoded[]>> m_pages;
  uint64_t m_replaced = 0;
};
