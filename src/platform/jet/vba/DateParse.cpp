#include "platform/jet/vba/DateParse.h"

#include <cctype>
#include <utility>
#include <vector>

#include "platform/com/OleDate.h"

namespace jet {

namespace {

struct Part {
  bool number;
  long value;
  int digits;
  std::string word;  // AM / PM, lower case
  int month;         // 1..12 for a month's name (Jan, January ...)
  char sep;          // the separator that follows: '/', '-', ':', ' ' or 0 at the end
};

int MonthOfName(const std::string& w) {
  static const char* const names[] = {"january", "february", "march", "april", "may", "june", "july",
                                      "august", "september", "october", "november", "december"};
  if (w.size() < 3) return 0;
  for (int m = 0; m < 12; ++m)
    if (std::string(names[m]).compare(0, w.size(), w) == 0) return m + 1;
  return 0;
}

bool Split(const std::string& s, std::vector<Part>* parts) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (i < n) {
    Part p{};
    if (std::isdigit(static_cast<unsigned char>(s[i]))) {
      p.number = true;
      while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
        if (p.digits >= 6) return false;
        p.value = p.value * 10 + (s[i] - '0');
        ++p.digits;
        ++i;
      }
    } else if (std::isalpha(static_cast<unsigned char>(s[i]))) {
      while (i < n && std::isalpha(static_cast<unsigned char>(s[i])))
        p.word += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i++])));
      p.month = MonthOfName(p.word);
      if (p.word != "am" && p.word != "pm" && !p.month) return false;
    } else {
      return false;
    }
    size_t blanks = i;
    while (i < n && s[i] == ' ') ++i;
    if (i < n && s[i] == ',') {  // "Jan 5, 2000"
      ++i;
      while (i < n && s[i] == ' ') ++i;
      p.sep = ' ';
    } else if (i < n && (s[i] == '/' || s[i] == '-' || s[i] == ':' || s[i] == '.')) {
      p.sep = s[i] == '.' ? '/' : s[i];
      ++i;
      while (i < n && s[i] == ' ') ++i;
      if (i >= n) return false;
    } else if (i < n) {
      p.sep = ' ';
    } else {
      p.sep = 0;
    }
    (void)blanks;
    parts->push_back(p);
  }
  return !parts->empty();
}

int FullYear(const Part& p) {
  if (p.digits <= 2) return p.value < 30 ? 2000 + static_cast<int>(p.value) : 1900 + static_cast<int>(p.value);
  return static_cast<int>(p.value);
}

}  // namespace

bool ParseJetDate(const std::string& text, double* dayNumber) {
  std::vector<Part> parts;
  if (!Split(text, &parts)) return false;
  oledate::DateTime dt;
  size_t i = 0;
  // The date: three numbers joined by '/' or '-'.
  if (parts.size() >= 3 && parts[0].number && parts[1].number && parts[2].number &&
      (parts[0].sep == '/' || parts[0].sep == '-') && parts[1].sep == parts[0].sep) {
    if (parts[0].digits >= 3) {
      dt.year = FullYear(parts[0]);
      dt.month = static_cast<int>(parts[1].value);
      dt.day = static_cast<int>(parts[2].value);
    } else {
      dt.month = static_cast<int>(parts[0].value);
      dt.day = static_cast<int>(parts[1].value);
      dt.year = FullYear(parts[2]);
      // No month 13: the order was day/month/year (#13/1/1995# is January 13).
      if (dt.month > 12 && dt.day <= 12) std::swap(dt.month, dt.day);
    }
    i = 3;
    if (i < parts.size() && parts[2].sep != ' ') return false;
  }
  // A month by name: "Jan 5 2000", "5-Jan-2000".
  if (i == 0 && parts.size() >= 3) {
    const Part &a = parts[0], &b = parts[1], &c = parts[2];
    if (a.month && b.number && c.number) {
      dt.month = a.month;
      dt.day = static_cast<int>(b.value);
      dt.year = FullYear(c);
      i = 3;
    } else if (a.number && b.month && c.number) {
      dt.day = static_cast<int>(a.value);
      dt.month = b.month;
      dt.year = FullYear(c);
      i = 3;
    }
    if (i == 3 && parts.size() > 3 && c.sep != ' ') return false;
  }
  for (size_t k = i; k < parts.size(); ++k)
    if (parts[k].month) return false;
  // The time: h[:mm[:ss]] with an optional AM / PM.
  if (i < parts.size()) {
    if (!parts[i].number) return false;
    long h = parts[i].value, m = 0, sec = 0;
    bool colon = parts[i].sep == ':';
    ++i;
    if (colon) {
      if (i >= parts.size() || !parts[i].number) return false;
      m = parts[i].value;
      colon = parts[i].sep == ':';
      ++i;
      if (colon) {
        if (i >= parts.size() || !parts[i].number) return false;
        sec = parts[i].value;
        ++i;
      }
    }
    bool ampm = false;
    if (i < parts.size() && !parts[i].number) {
      if (h < 1 || h > 12) return false;
      if (parts[i].word == "pm" && h != 12) h += 12;
      if (parts[i].word == "am" && h == 12) h = 0;
      ampm = true;
      ++i;
    }
    if (!colon && !ampm && i == parts.size() && parts.size() == 1) return false;  // a bare number
    if (i != parts.size()) return false;
    dt.hour = static_cast<int>(h);
    dt.minute = static_cast<int>(m);
    dt.second = static_cast<int>(sec);
  }
  return oledate::ToOleDate(dt, dayNumber);
}

}  // namespace jet
