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

// A value that starts (after blanks) with a quote runs to its closing quote, a
// doubled quote standing for one; sets *end past it. False when it is not closed:
// the value is then taken verbatim.
static bool QuotedValue(const std::string& text, size_t at, std::string* value, size_t* end) {
  const size_t q = text.find_first_not_of(" \t", at);
  if (q == std::string::npos || (text[q] != '"' && text[q] != '\'')) return false;
  std::string v;
  for (size_t i = q + 1; i < text.size(); ++i) {
    if (text[i] != text[q]) {
      v.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == text[q]) {
      v.push_back(text[q]);
      ++i;
    } else {
      *value = std::move(v);
      *end = text.find(';', i);  // what follows the closing quote up to ';' is ignored
      if (*end == std::string::npos) *end = text.size();
      return true;
    }
  }
  return false;
}

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
        if (QuotedValue(text, start + eq + 1, last, &end)) {
          last = nullptr;  // a quoted value is whole
        } else {
          *last = piece.substr(eq + 1);
        }
      } else {
        last = nullptr;
      }
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  return result;
}

std::string QuoteValue(const std::string& value) {
  const size_t first = value.find_first_not_of(" \t");
  const bool quoted = first != std::string::npos && (value[first] == '"' || value[first] == '\'');
  if (value.find(';') == std::string::npos && !quoted) return value;
  std::string out = "\"";
  for (char c : value) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

std::optional<std::string> ConnectionString::Get(const std::string& key) const {
  auto it = m_values.find(Lower(Trim(key)));
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

bool IsJetProvider(const std::string& provider) { return Lower(Trim(provider)) == "microsoft.jet.oledb.4.0"; }

}  // namespace ado
