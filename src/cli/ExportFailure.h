// The one line that reports a failure: `FILE: what happened[; after N records]
// [Jet NNNN]`. A database failure names the database and the provider's
// description of its cause (or the general cause of its code); a failure of the
// target file names that file and the system's reason.
#pragma once
#include <string>
#include "export/ExportRun.h"

// The cause in words: the provider's description, else the code's system text.
std::string CauseText(const _com_error& e);

// source: the database as the user named it; records: the records written before
// the failure (named only when there are some).
std::string DatabaseFailureLine(const std::string& source, const _com_error& e, long records = 0);

// A failed export: the database's failure, or the target file's (target: the file
// written, or empty for standard output).
std::string ExportFailureLine(const std::string& source, const std::string& target,
                              const ExportRun& run, const _com_error& e);

// Writes bytes already in the output character set to standard output; false, after
// the failure line, when that fails (a full disk, a closed pipe's EPIPE).
bool WriteStandardOutput(const std::string& bytes);
