// The command line: at most one file to open, as a desktop entry's %f (or a file
// manager's URI) names it; or --help or --version, answered without a window.
#pragma once
#include <string>

struct CommandLine {
  enum class Action {
    kRun,      // open the window (on `file` when not empty)
    kHelp,     // --help: the usage and options on stdout, status 0
    kVersion,  // --version: "kelvane <version>" on stdout, status 0
    kWrong,    // a line this program does not take: the usage on stderr, status 2
  };
  Action action = Action::kRun;
  // The file argv names, made absolute against the working folder (a file:// URI
  // decoded to its path); "" when it names none.
  std::string file;
};

// Reads argv in order: --help or --version answers at once, an unknown option (an
// argument starting with '-' before a "--"), an empty argument or a second file
// makes the line wrong.
CommandLine ParseCommandLine(int argc, char** argv);

// The one-line usage message.
std::string CommandLineUsage(const char* argv0);

// What --help prints: the usage line, what the program does, its options.
std::string CommandLineHelp(const char* argv0);
