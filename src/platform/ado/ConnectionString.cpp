#include "platform/ado/ConnectionString.h"

namespace ado {
namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// ASCII only: keys are ASCII words, and a UTF-8 byte is never changed.
std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

ConnectionString ConnectionString::Parse(const std::string& text) {
  ConnectionString result;
  std::string* last = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(start, end - start);
    size_t eq = piece.find('=');
    if (eq == std::string::npos) {
      if (last && !piece.empty()) *last += ";" + piece;
    } else {
      std::string key = Lower(Trim(piece.substr(0, eq)));
      if (!key.empty()) {
        last = &result.m_values[key];
        *last = piece.substr(eq + 1);
      } else {
        last = nullptr;
      }
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  return result;
}

std::optional<std::string> ConnectionString::Get(const std::string& key) const {
  auto it = m_values.find(Lower(Trim(key)));
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

bool IsJetProvider(const std::string& provider) { return Lower(Trim(provider)) == "microsoft.jet.oledb.4.0"; }

}  // namespace ado
