// Jet 4 keeps text as UTF-16LE; the program and the writer's callers speak UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace jetwriter {

// Appends the UTF-16LE form of a UTF-8 string (characters past U+FFFF become
// surrogate pairs). Throws std::runtime_error on bytes that are not UTF-8.
void AppendUtf16(const std::string& utf8, std::vector<uint8_t>& out);
// Appends Jet 4's compressed form when it is shorter than plain UTF-16LE and
// possible (no character whose low byte is 0x00, which the form uses to switch
// between one-byte and two-byte characters); else plain UTF-16LE.
void AppendCompressed(const std::string& utf8, std::vector<uint8_t>& out);
// Number of UTF-16 code units, the unit Access counts a Text column's length in.
size_t Utf16Length(const std::string& utf8);

}  // namespace jetwriter
