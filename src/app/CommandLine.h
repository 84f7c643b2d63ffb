// The command line: at most one file to open, as a desktop entry's %f (or a file
// manager's URI) names it. No option is read.
#pragma once
#include <optional>
#include <string>

// The file argv names, made absolute against the working folder (a file:// URI
// decoded to its path); "" when it names none. Nothing when the line is not one this
// program takes: an option (an argument starting with '-' before a "--"), an empty
// argument, or more than one file.
std::optional<std::string> ParseCommandLine(int argc, char** argv);

// The one-line usage message, for stderr.
std::string CommandLineUsage(const char* argv0);
