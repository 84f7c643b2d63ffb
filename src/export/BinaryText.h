// The written forms of a binary value (OLE Object, Binary): base64 (RFC 4648, with
// padding, no line breaks) or lower-case hex. The command line writes every value;
// a picture is never a reason to refuse a table.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

void AppendBase64(const std::vector<uint8_t>& bytes, std::string* out);
void AppendHex(const std::vector<uint8_t>& bytes, std::string* out);
