#include "platform/ostrum/ConfigText.h"

#include <algorithm>
#include <optional>

namespace ostrum {
namespace {

void AppendEscaped(std::string* out, std::string_view s, bool isKey) {
  for (char c : s) {
    switch (c) {
      case '\\': *out += "\\\\"; break;
      case '\n': *out += "\\n"; break;
      case '\r': *out += "\\r"; break;
      case '=':
        if (isKey) { *out += "\\="; break; }
        [[fallthrough]];
      default: *out += c;
    }
  }
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len;
    uint32_t cp;
    if (c < 0x80) { ++i; continue; }
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return false;
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// Unescapes s from *pos up to the first bare `stop` (or the end when stop is 0).
// A backslash the file format does not know (a hand-typed "C:\data", a lone one at
// the end) stands for itself, so a hand edit loses no character.
std::optional<std::string> Unescape(std::string_view s, size_t* pos, char stop) {
  std::string out;
  while (*pos < s.size()) {
    char c = s[(*pos)++];
    if (stop && c == stop) return out;
    if (c != '\\' || *pos >= s.size()) { out += c; continue; }
    switch (s[*pos]) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '=':
        if (stop) { out += '='; break; }
        [[fallthrough]];
      default: out += c; continue;  // the next character is read on its own
    }
    ++*pos;
  }
  if (stop) return std::nullopt;  // the key never ended
  return out;
}

}  // namespace

std::string FormatConfigText(const ConfigValues& values) {
  std::string out;
  for (const auto& [key, value] : values) {
    AppendEscaped(&out, key, true);
    out += '=';
    AppendEscaped(&out, value, false);
    out += '\n';
  }
  return out;
}

ConfigValues ParseConfigText(std::string_view text) {
  ConfigValues values;
  // An editor's UTF-8 byte-order mark is no part of the first key.
  size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (start < text.size()) {
    // A last line without its LF (as many editors leave it) is a line too.
    size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    // A raw CR is never written (values escape it), so one before the LF is a
    // CR LF line end from an editor, not part of the value.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!IsValidUtf8(line)) continue;
    size_t pos = 0;
    auto key = Unescape(line, &pos, '=');
    if (!key || key->empty()) continue;
    auto value = Unescape(line, &pos, 0);
    if (!value) continue;
    values[*key] = *value;
  }
  return values;
}

}  // namespace ostrum
