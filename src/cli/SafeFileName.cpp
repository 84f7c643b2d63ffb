#include "cli/SafeFileName.h"
#include "cli/ArgumentText.h"

#include <cstring>

std::string SafeFileNames::For(const std::string& table, const std::string& extension) {
  std::string stem = table;
  for (char& c : stem) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr) c = '_';
  }
  if (stem.empty() || stem[0] == '.') stem.insert(0, "_");
  std::string name = stem + extension;
  for (int n = 2; !m_used.insert(AsciiLower(name)).second; ++n) {
    name = stem + "_" + std::to_string(n) + extension;
  }
  return name;
}
