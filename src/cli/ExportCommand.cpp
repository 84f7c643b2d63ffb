// TABLE or --sql: one export, the window's run with the command line's options, to
// standard output or to the file -o names.
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include "cli/ArgumentText.h"
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Progress.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "cli/TableRows.h"
#include "export/ExportRun.h"
#include "export/FailureText.h"
#include "export/TableStatement.h"
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "platform/com/Causes.h"
#include "platform/com/Translate.h"
#include "platform/jet/Parameters.h"

namespace {

// The user's statement exactly as written ("-": standard input up to its end).
std::string UserStatement(const CliOptions& options) {
  if (*options.sql != "-") return *options.sql;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, stdin)) > 0;) text.append(buf, n);
  return ArgumentToUtf8(text, options.format.charset);
}

// The statement to run: the table's (or saved query's), as the window builds it,
// or the user's own with the parameter values bound. The values reach the saved
// queries it reads through the connection. Throws a missing parameter's error.
// `written` keeps the user's statement as written (standard input is read once).
std::string Statement(const CliOptions& options, Database& database, std::string* written) {
  if (!options.params.empty()) database.Connection()->PutParameterValues(options.params);
  if (!options.sql) return TableStatement(options.fields, *options.table);
  std::string missing;
  *written = UserStatement(options);
  const std::string sql = jet::BindParameters(*written, options.params, &missing);
  if (!missing.empty()) throw _com_error(JET_E_NOCOLUMN, MissingParameterCause(missing));
  return sql;
}

// A bracketed name of the user's statement that nothing knows is a parameter left
// without a value when the user is giving parameters; else more likely a typo.
// (The provider says so itself for the saved queries the statement reads.)
_com_error AsParameter(const _com_error& e, const CliOptions& options, const std::string& written) {
  if (!options.sql || options.params.empty()) return e;
  return jet::AsMissingParameter(e, written);
}

}  // namespace

int ExportOne(const CliOptions& options) {
  const std::string target = options.output.value_or(std::string());
  // Truncating the open database would destroy it: refused before anything runs.
  if (!target.empty() && IsSameFile(target, options.file)) {
    ReportLine(Printf("%s: %s", target.c_str(), _("目标文件就是源数据库文件，不能覆盖！")));
    return kFailed;
  }
  ExportRun run(options.format, target, options.file);
  if (target.empty()) run.ToDescriptor(STDOUT_FILENO);
  if (options.limit) run.LimitRecords(*options.limit);
  if (options.table) run.NameTable(*options.table);
  std::optional<Database> opened;
  try {
    opened.emplace(options.file);
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    return kFailed;
  }
  Database& database = *opened;
  std::string statement, written;
  try {
    statement = Statement(options, database, &written);
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    return kFailed;
  }
  try {
    const bool progress = !options.quiet && Progress::Possible(target.empty());
    std::optional<uint64_t> total;
    if (progress && options.table) total = RecordedRows(database.Connection()).Of(*options.table);
    if (total && options.limit) total = std::min<uint64_t>(*total, *options.limit);
    Progress line(progress, std::string(), total);
    if (progress) run.OnRecords([&line](long records) { line.Update(records); });
    _RecordsetPtr recordset = database.NewRecordset();
    run.Run(database.Connection(), recordset, statement);
    recordset->Close();
    database.Close();
  } catch (const _com_error& e) {
    ReportLine(ExportFailureLine(options.file, target, run, AsParameter(e, options, written)));
    return kFailed;
  }
  if (!options.format.strict) ReportReplaced(run.ReplacedCharacters(), options.format.charset);
  return kDone;
}
