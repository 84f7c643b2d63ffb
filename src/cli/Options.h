// The command line of kelvane-export, read into what the run needs. Scripts depend
// on it: the option names and their meanings do not change.
#pragma once
#include <optional>
#include <string>
#include "export/TextWriter.h"

struct CliOptions {
  std::string file;                  // the database
  std::optional<std::string> table;  // a user table, as the list names it
  bool list = false;                 // -l: the user tables, one a line
  std::optional<std::string> sql;    // -s: a statement, run as written ("-": stdin)
  std::string fields = "*";          // -f: a table's export field list
  TextFormat format{",", false, false};
  std::optional<std::string> output;  // -o; standard output without it
  std::optional<std::string> allDir;  // -a: every user table into this folder
  bool preview = false;               // -n: the first four records
  bool quiet = false;                 // no progress line
  // The whole database: --describe FILE [TABLE] (--json for JSON), --sqlite OUT.db,
  // --postgresql OUT.sql ("-": standard output).
  bool describe = false;
  bool json = false;
  std::optional<std::string> sqlite, postgresql;
  bool help = false;
  bool version = false;
};

// What the command line asks for, or why it cannot be done (a usage error: an
// unknown option, a missing argument, options that exclude each other).
struct ParsedCommandLine {
  CliOptions options;
  std::string error;  // empty when the line is sound
};

ParsedCommandLine ParseOptions(int argc, char** argv);
