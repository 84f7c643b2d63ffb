// How kelvane-export ends: its exit statuses, and the one line on standard error
// that says what went wrong.
#pragma once
#include <cstdint>
#include <string>

#include "platform/com/Printf.h"  // fills in the messages' formats (from _())

enum ExitStatus {
  kDone = 0,
  kFailed = 1,        // a database or file failure
  kUsage = 2,         // the command line cannot be done
  kSalvaged = 3,      // --salvage read past damage, and lost records or values
  kInterrupted = 130  // SIGINT or SIGTERM
};

// "kelvane-export: <text>" and a line feed on standard error.
void ReportLine(const std::string& text);


// The warning after a run that wrote characters as '?': how many, and in which set.
void ReportReplaced(uint64_t characters, const std::string& charset);
