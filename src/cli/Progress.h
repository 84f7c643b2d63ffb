// The progress line of a long run, on standard error: records done, and of how many
// and what share when the table's definition records a total. Shown only when
// standard error is a terminal that does not receive the data and the run has
// passed one second; one line cut to the terminal's width, rewritten at most four
// times a second, and cleared at the end and on a signal; never with --quiet.
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

  // Whether a progress line may be shown at all: standard error a terminal that
  // does not also receive the data (dataToStdout: the records go to standard output).
  static bool Possible(bool dataToStdout);
  // Clears a line on the screen, if one is shown. Safe in a signal handler.
  static void ClearLine();

 private:
  std::string Labelled(const std::string& counts) const;

  bool m_wanted;
  std::string m_label;
  std::optional<uint64_t> m_total;
  std::chrono::steady_clock::time_point m_start, m_last;
};
