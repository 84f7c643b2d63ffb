// Number patterns for Format: digit slots (0 #), the point, thousands grouping
// and scaling (,), percent, exponents (E+ E- e+ e-), literals, and the sections
// positive;negative;zero;null.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/jet/vba/FormatPatterns.h"

namespace jet::vba {

namespace {


// |value| rounded half away from zero at `frac` decimals, as plain digits with
// exactly `frac` decimals. The rounding works on the 15 significant digits a
// Double is shown with, so 0.125 and 2.675 round up as they read.
std::string Fixed(double mag, int frac) {
  if (!std::isfinite(mag)) mag = 0;  // no value reaches here so; a pattern never fails
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", mag);
  std::string digits;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exp = std::atoi(std::strchr(buf, 'e') + 1);
  // digits d0 d1 ... stand for d0.d1... × 10^exp; keep those down to 10^-frac.
  int keep = exp + 1 + frac;
  std::string kept;
  if (keep >= 0) {
    kept = digits.substr(0, std::min<size_t>(digits.size(), static_cast<size_t>(keep)));
    bool up = static_cast<size_t>(keep) < digits.size() && digits[static_cast<size_t>(keep)] >= '5';
    kept.append(static_cast<size_t>(std::max(0, keep - static_cast<int>(kept.size()))), '0');
    if (up) {
      int k = static_cast<int>(kept.size()) - 1;
      while (k >= 0 && kept[static_cast<size_t>(k)] == '9') kept[static_cast<size_t>(k--)] = '0';
      if (k >= 0) ++kept[static_cast<size_t>(k)];
      else kept.insert(kept.begin(), '1');
    }
  }
  if (kept.size() < static_cast<size_t>(frac) + 1) kept.insert(0, static_cast<size_t>(frac) + 1 - kept.size(), '0');
  std::string out = kept.substr(0, kept.size() - static_cast<size_t>(frac));
  size_t nz = out.find_first_not_of('0');
  out = nz == std::string::npos ? "0" : out.substr(nz);
  if (frac > 0) out += "." + kept.substr(kept.size() - static_cast<size_t>(frac));
  return out;
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// One number section, parsed: digit slots ('0' shows a zero, '#' nothing) before
// and after the point and in the exponent, with the literals between them.
struct NumberPattern {
  struct Piece {
    char kind;  // 'I' integer slot, 'F' fraction slot, 'X' exponent slot, '.', 'E', or 'L' literal
    char slot;  // '0' or '#'
    std::string text;
  };
  std::vector<Piece> pieces;
  bool group = false;
  int percent = 0, scale = 0;  // scale: thousands the value is divided by
  bool exponent = false;
  bool expPlus = false;         // E+ shows the sign of a positive exponent
};

NumberPattern ParseNumber(const std::string& f) {
  NumberPattern p;
  bool point = false;
  auto literal = [&](const std::string& t) {
    if (!p.pieces.empty() && p.pieces.back().kind == 'L') p.pieces.back().text += t;
    else p.pieces.push_back({'L', 0, t});
  };
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '"') {
      size_t j = f.find('"', i + 1);
      if (j == std::string::npos) j = f.size();
      literal(f.substr(i + 1, j - i - 1));
      i = j;
    } else if (c == '\\') {
      if (i + 1 < f.size()) literal(f.substr(++i, 1));
    } else if (c == '0' || c == '#') {
      p.pieces.push_back({p.exponent ? 'X' : point ? 'F' : 'I', c, ""});
    } else if (c == '.' && !point && !p.exponent) {
      point = true;
      p.pieces.push_back({'.', 0, ""});
    } else if (c == ',' && !point && !p.exponent) {
      // Between integer slots it groups thousands; before the point or the end of
      // the digits it divides by a thousand.
      size_t j = i + 1;
      while (j < f.size() && f[j] == ',') ++j;
      bool slotFollows = j < f.size() && (f[j] == '0' || f[j] == '#');
      bool slotBefore = false;
      for (const auto& piece : p.pieces) slotBefore = slotBefore || piece.kind == 'I';
      if (slotFollows && slotBefore) p.group = true;
      else if (slotBefore) p.scale += static_cast<int>(j - i);
      i = j - 1;
    } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-') && !p.exponent) {
      p.exponent = true;
      p.expPlus = f[i + 1] == '+';
      p.pieces.push_back({'E', 0, std::string(1, c)});
      ++i;
    } else {
      if (c == '%') ++p.percent;
      literal(std::string(1, c));
    }
  }
  return p;
}

// A magnitude (value >= 0) in one parsed section.
std::string FormatMagnitude(double mag, const NumberPattern& p) {
  for (int k = 0; k < p.percent; ++k) mag *= 100;
  for (int k = 0; k < p.scale; ++k) mag /= 1000;
  int intSlots = 0, fracSlots = 0, minFrac = 0, minInt = 0, expMin = 0;
  bool zeroSeen = false;
  for (const auto& piece : p.pieces) {
    if (piece.kind == 'I') {
      ++intSlots;
      zeroSeen = zeroSeen || piece.slot == '0';
      if (zeroSeen) ++minInt;
    } else if (piece.kind == 'F') {
      ++fracSlots;
      if (piece.slot == '0') minFrac = fracSlots;
    } else if (piece.kind == 'X' && piece.slot == '0') {
      ++expMin;
    }
  }
  int exponent = 0;
  std::string number;
  if (p.exponent && mag > 0) {
    int lead = std::max(intSlots, 1);
    exponent = static_cast<int>(std::floor(std::log10(mag))) - (lead - 1);
    number = Fixed(mag / std::pow(10.0, exponent), fracSlots);
    if (number.find('.') == std::string::npos ? number.size() > static_cast<size_t>(lead)
                                              : number.find('.') > static_cast<size_t>(lead)) {
      ++exponent;
      number = Fixed(mag / std::pow(10.0, exponent), fracSlots);
    }
  } else {
    number = Fixed(mag, fracSlots);
  }
  size_t dot = number.find('.');
  std::string ip = number.substr(0, dot), fp = dot == std::string::npos ? "" : number.substr(dot + 1);
  if (ip == "0") ip.clear();
  if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<size_t>(minInt) - ip.size(), '0');
  while (static_cast<int>(fp.size()) > minFrac && fp.back() == '0') fp.pop_back();
  if (p.group) ip = Grouped(ip);
  std::string expText = std::to_string(std::abs(exponent));
  if (static_cast<int>(expText.size()) < expMin) expText.insert(0, static_cast<size_t>(expMin) - expText.size(), '0');

  std::string out;
  int intSeen = 0, fracSeen = 0;
  bool expDone = false;
  for (const auto& piece : p.pieces) {
    switch (piece.kind) {
      case 'I':
        // Each slot takes one digit from the right; the first takes what is left.
        ++intSeen;
        if (intSeen == 1) {
          size_t rest = p.group ? 0 : static_cast<size_t>(intSlots - 1);
          size_t take = ip.size() > rest ? ip.size() - rest : 0;
          out += ip.substr(0, take);
          ip.erase(0, take);
        } else if (!p.group && !ip.empty() && ip.size() >= static_cast<size_t>(intSlots - intSeen + 1)) {
          out += ip[0];
          ip.erase(0, 1);
        }
        break;
      case 'F':
        if (fracSeen < static_cast<int>(fp.size())) out += fp[static_cast<size_t>(fracSeen)];
        ++fracSeen;
        break;
      case '.': out += '.'; break;
      case 'E':
        out += piece.text + (exponent < 0 ? "-" : p.expPlus ? "+" : "");
        break;
      case 'X':
        if (!expDone) out += expText;
        expDone = true;
        break;
      default: out += piece.text;
    }
  }
  if (intSlots == 0 && !ip.empty()) out = ip + out;  // digits with no slot lead the text
  return out;
}

}  // namespace

std::string FormatNumberSection(double magnitude, const std::string& section) {
  return FormatMagnitude(magnitude, ParseNumber(section));
}

// A number in a pattern of sections: positive;negative;zero;null. A missing or
// empty section borrows the first, and the first shows a minus sign itself.
std::string FormatNumberPattern(double value, const std::vector<std::string>& sections) {
  auto section = [&](size_t k) { return k < sections.size() && !sections[k].empty() ? sections[k] : sections[0]; };
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) return FormatMagnitude(0, ParseNumber(sections[2]));
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatMagnitude(-value, ParseNumber(sections[1]));
  std::string text = FormatMagnitude(std::fabs(value), ParseNumber(section(0)));
  bool shownZero = text.find_first_of("123456789") == std::string::npos;
  return value < 0 && !shownZero ? "-" + text : text;
}

}  // namespace jet::vba
