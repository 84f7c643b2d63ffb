// The progress line of a long run, on standard error: records done, of how many
// the table's definition records, and records per second. Shown only when standard
// error is a terminal and the run has passed one second, rewritten at most four
// times a second, and cleared at the end; never with --quiet.
#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class Progress {
 public:
  // label: put before the counts (the table's name in a run over every table).
  Progress(bool wanted, std::string label, std::optional<uint64_t> total);
  ~Progress() { ClearLine(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Called every few hundred records: mostly a look at the clock.
  void Update(long records);

  // Whether a progress line may be shown at all: standard error a terminal.
  static bool Possible();
  // Clears a line on the screen, if one is shown. Safe in a signal handler.
  static void ClearLine();

 private:
  bool m_wanted;
  std::string m_label;
  std::optional<uint64_t> m_total;
  std::chrono::steady_clock::time_point m_start, m_last;
};
