// A name as SQL quotes it, for the statements the program writes for SQLite and
// PostgreSQL: in double quotes, a double quote inside doubled, so that any name a
// database holds (spaces, reserved words, quotes) reads back as itself.
#pragma once
#include <string>

inline std::string QuotedSqlName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}
