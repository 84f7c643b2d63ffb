// The text form of the settings file: UTF-8, one "key=value" a line, each line
// ended by LF. Keys and values are kept verbatim (blanks included); only the
// backslash and the two line-break characters are escaped (\\, \n, \r), and in a
// key also '=' (\=), so that the first bare '=' always ends the key.
#pragma once
#include <map>
#include <string>
#include <string_view>

namespace ostrum {

using ConfigValues = std::map<std::string, std::string>;

std::string FormatConfigText(const ConfigValues& values);

// Reads what a file holds, forgiving what a hand edit leaves: a UTF-8 byte-order
// mark at the start is skipped, a last line without LF is read, a CR LF line end
// reads as LF, and a backslash before any other character stays as typed. A line
// that is not valid UTF-8 or has no '=' is ignored.
ConfigValues ParseConfigText(std::string_view text);

}  // namespace ostrum
