// The command line of kelvane-export, read into what the run needs. Scripts depend
// on it: the option names and their meanings do not change.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "export/TextWriter.h"

struct CliOptions {
  std::string file;                  // the database
  std::optional<std::string> table;  // a user table or saved select query
  bool list = false;                 // -l: the user tables, one a line
  bool queries = false;              // -l --queries: the saved queries and their kind
  std::optional<std::string> showSql;  // --show-sql: a saved query's SQL
  std::optional<std::string> sql;    // -s: a statement, run as written ("-": stdin)
  std::string fields = "*";          // -f: a table's export field list
  // The window's format by default; the command line writes every binary value
  // (base64 unless --binary says otherwise).
  TextFormat format{",", false, false};
  std::optional<std::string> output;  // -o; standard output without it (or "-")
  std::optional<std::string> allDir;  // -a: every user table into this folder
  std::optional<unsigned long> limit;  // -n (4) or --limit N: the first N records
  std::vector<std::pair<std::string, std::string>> params;  // --param NAME=VALUE
  bool quiet = false;                 // no progress line
  bool salvage = false;               // --salvage: read past damage, report the losses
  std::optional<std::string> report;  // --report: the losses as TSV into this file
  // The whole database: --describe FILE [TABLE] (--json for JSON: format.json), --sqlite OUT.db,
  // --postgresql OUT.sql ("-": standard output).
  bool describe = false;
  std::optional<std::string> sqlite, postgresql;
  bool help = false;
  bool version = false;
  // What the checks between options need to know was typed.
  bool headerGiven = false, noHeaderGiven = false, fieldsGiven = false, quoteGiven = false;
};

// What the command line asks for, or why it cannot be done (a usage error: an
// unknown option, a missing argument, options that exclude each other).
struct ParsedCommandLine {
  CliOptions options;
  std::string error;  // empty when the line is sound
};

// charset: the locale's output character set, taken when -e names none.
ParsedCommandLine ParseOptions(int argc, char** argv, const std::string& charset);
