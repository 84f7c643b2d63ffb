// The one line that reports a failed export, as the window's box does: a database
// failure names the database, the reason and the record being read; a failure of
// the target file names the file and its own cause.
#pragma once
#include <string>
#include "export/ExportRun.h"

// source: the database as the user named it (and the table, in a run over every
// table); target: the file written, or empty for standard output.
std::string ExportFailureLine(const std::string& source, const std::string& target,
                              const ExportRun& run, const _com_error& e);
