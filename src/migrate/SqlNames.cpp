#include "migrate/SqlNames.h"

#include <charconv>
#include <strings.h>

namespace migrate {

std::string Literal(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

static bool IsNumber(const std::string& s) {
  double d;
  const char* b = s.data() + (s.size() > 0 && s[0] == '-' ? 1 : 0);
  const char* e = s.data() + s.size();
  return b < e && *b != '+' && std::from_chars(b, e, d, std::chars_format::fixed).ptr == e;
}

std::optional<std::string> LiteralDefault(const Column& c) {
  if (!c.defaultValue) return std::nullopt;
  std::string v = *c.defaultValue;
  while (!v.empty() && v.back() == ' ') v.pop_back();
  while (!v.empty() && v.front() == ' ') v.erase(0, 1);
  if (!v.empty() && v[0] == '=') v.erase(0, 1);
  const bool text = c.type == kText || c.type == kMemo;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    if (!text) return std::nullopt;
    std::string inner;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
      if (v[i] == v.front() && i + 2 < v.size() && v[i + 1] == v.front()) ++i;  // a doubled quote
      else if (v[i] == v.front()) return std::nullopt;  // two texts joined: an expression
      inner += v[i];
    }
    return Literal(inner);
  }
  if (c.type == kBoolean) {
    if (!strcasecmp(v.c_str(), "yes") || !strcasecmp(v.c_str(), "true") || v == "-1") return std::string("TRUE");
    if (!strcasecmp(v.c_str(), "no") || !strcasecmp(v.c_str(), "false") || v == "0") return std::string("FALSE");
    return std::nullopt;
  }
  const bool number = c.type == kByte || c.type == kInteger || c.type == kLong || c.type == kBigInt ||
                      c.type == kSingle || c.type == kDouble || c.type == kCurrency || c.type == kDecimal;
  if (number && IsNumber(v)) {
    const bool whole = v.find('.') == std::string::npos;
    if (whole || (c.type != kByte && c.type != kInteger && c.type != kLong && c.type != kBigInt)) return v;
  }
  return std::nullopt;
}

std::string Rule(const std::string& rule) {
  if (rule == "CASCADE" || rule == "SET NULL") return rule;
  return "NO ACTION";
}

}  // namespace migrate
