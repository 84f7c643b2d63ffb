#include "cli/Progress.h"

#include <unistd.h>
#include <csignal>
#include "cli/Report.h"
#include "platform/com/Translate.h"

namespace {

volatile sig_atomic_t g_shown = 0;

// Back to the start of the line and clear it: the line is rewritten in place.
constexpr char kClear[] = "\r\033[K";

}  // namespace

bool Progress::Possible() { return isatty(STDERR_FILENO) == 1; }

void Progress::ClearLine() {
  if (!g_shown) return;
  g_shown = 0;
  (void)!write(STDERR_FILENO, kClear, sizeof kClear - 1);
}

Progress::Progress(bool wanted, std::string label, std::optional<uint64_t> total)
    : m_wanted(wanted && Possible()), m_label(std::move(label)), m_total(total),
      m_start(std::chrono::steady_clock::now()), m_last(m_start) {}

void Progress::Update(long records) {
  if (!m_wanted) return;
  const auto now = std::chrono::steady_clock::now();
  using std::chrono::milliseconds;
  if (now - m_start < milliseconds(1000) || (g_shown && now - m_last < milliseconds(250))) return;
  m_last = now;
  const double rate = records / std::chrono::duration<double>(now - m_start).count();
  std::string text = kClear + m_label;
  if (m_total) {
    text += Format(_("%ld / %llu 条记录，每秒 %.0f 条"), records,
                   static_cast<unsigned long long>(*m_total), rate);
  } else {
    text += Format(_("%ld 条记录，每秒 %.0f 条"), records, rate);
  }
  g_shown = 1;
  (void)!write(STDERR_FILENO, text.data(), text.size());
}
