#include "cli/Progress.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <cwchar>
#include <vector>
#include "cli/Report.h"
#include "platform/com/Translate.h"

namespace {

volatile sig_atomic_t g_shown = 0;

// Back to the start of the line and clear it: the line is rewritten in place. It
// never wraps (it is cut to the terminal's width), so one row is all there is to clear.
constexpr char kClear[] = "\r\033[K";

// 1234567 -> "1,234,567".
std::string Grouped(unsigned long long n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

int TerminalColumns() {
  struct winsize ws {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

// The longest start of `text` that takes at most `columns` columns on screen, cut
// between characters.
std::string Fitted(const std::string& text, int columns) {
  std::mbstate_t state{};
  size_t at = 0;
  int used = 0;
  while (at < text.size()) {
    wchar_t wc = 0;
    size_t n = std::mbrtowc(&wc, text.data() + at, text.size() - at, &state);
    if (n == 0 || n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      n = 1;
      state = {};
      wc = L'?';
    }
    const int width = wcwidth(wc) < 0 ? 1 : wcwidth(wc);
    if (used + width > columns) break;
    used += width;
    at += n;
  }
  return text.substr(0, at);
}

}  // namespace

bool Progress::Possible(bool dataToStdout) {
  if (isatty(STDERR_FILENO) != 1) return false;
  if (!dataToStdout || isatty(STDOUT_FILENO) != 1) return true;
  // Both terminals: the line is shown only when the data goes to another one.
  struct stat out {}, err {};
  return fstat(STDOUT_FILENO, &out) == 0 && fstat(STDERR_FILENO, &err) == 0 && out.st_rdev != err.st_rdev;
}

void Progress::ClearLine() {
  if (!g_shown) return;
  g_shown = 0;
  (void)!write(STDERR_FILENO, kClear, sizeof kClear - 1);
}

Progress::Progress(bool wanted, std::string label, std::optional<uint64_t> total)
    : m_wanted(wanted), m_label(std::move(label)), m_total(total),
      m_start(std::chrono::steady_clock::now()), m_last(m_start) {}

std::string Progress::Labelled(const std::string& counts) const {
  std::string line;
  line.reserve(m_label.size() + counts.size());
  line.append(m_label).append(counts);
  return line;
}

void Progress::Update(long records) {
  if (!m_wanted) return;
  const auto now = std::chrono::steady_clock::now();
  using std::chrono::milliseconds;
  if (now - m_start < milliseconds(1000) || (g_shown && now - m_last < milliseconds(250))) return;
  m_last = now;
  const unsigned long long done = static_cast<unsigned long long>(records);
  // The longest form that fits, then shorter ones: the label goes first, then words.
  std::vector<std::string> forms;
  if (m_total && *m_total > 0) {
    const unsigned long long percent = done >= *m_total ? 100 : done * 100 / *m_total;
    const std::string full = Printf(_("%s / %s 条记录，%llu%%"), Grouped(done).c_str(), Grouped(*m_total).c_str(), percent);
    const std::string brief = Printf("%s/%s %llu%%", Grouped(done).c_str(), Grouped(*m_total).c_str(), percent);
    forms = {Labelled(full), full, Labelled(brief), brief, Printf("%llu%%", percent)};
  } else {
    const std::string full = Printf(_("%s 条记录"), Grouped(done).c_str());
    forms = {Labelled(full), full, Grouped(done)};
  }
  // One column is kept free: a line that fills the last one wraps on some terminals.
  const int columns = TerminalColumns() - 1;
  std::string line;
  for (const std::string& form : forms) {
    line = Fitted(form, columns);
    if (line.size() == form.size()) break;
  }
  std::string text = kClear + line;
  g_shown = 1;
  (void)!write(STDERR_FILENO, text.data(), text.size());
}
