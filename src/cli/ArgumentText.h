// Text from the command line as the program holds text: UTF-8. A table name read
// back from --list comes in the output character set (GBK under C/POSIX), so an
// argument that is not UTF-8 is taken as written in that character set.
#pragma once
#include <string>

// `text` itself when it is UTF-8 (plain ASCII included), else converted from
// `charset`; itself again when that fails too.
std::string ArgumentToUtf8(const std::string& text, const std::string& charset);

// Table names are matched without regard to ASCII case, as Jet matches them; a
// byte of a multibyte character is never changed.
std::string AsciiLower(std::string s);
inline bool AsciiLowerEquals(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }
