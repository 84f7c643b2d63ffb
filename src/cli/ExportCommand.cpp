// TABLE or --sql: one export, the window's run with the command line's options, to
// standard output or to the file -o names.
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include "cli/ArgumentText.h"
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Parameters.h"
#include "cli/Progress.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "cli/TableRows.h"
#include "db/ValueString.h"
#include "export/ExportRun.h"
#include "export/FailureText.h"
#include "export/TableStatement.h"
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "platform/com/Causes.h"
#include "platform/com/Translate.h"

namespace {

// The user's statement exactly as written ("-": standard input up to its end).
std::string UserStatement(const CliOptions& options) {
  if (*options.sql != "-") return *options.sql;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, stdin)) > 0;) text.append(buf, n);
  return ArgumentToUtf8(text, options.format.charset);
}

// The SQL of the saved query `name`, or empty when there is none by that name.
std::string SavedQuerySql(Database& database, const std::string& name) {
  _RecordsetPtr rows = database.Connection()->OpenSchema(ADODB::adSchemaProcedures);
  std::string sql;
  for (; !rows->GetadoEOF() && sql.empty(); rows->MoveNext()) {
    if (AsciiLowerEquals(ValueToString(rows->GetCollect("PROCEDURE_NAME")), name))
      sql = ValueToString(rows->GetCollect("PROCEDURE_DEFINITION"));
  }
  rows->Close();
  return sql;
}

// The statement to run: the table's, as the window builds it; the user's own; a
// saved query's own SQL when parameter values are given for it. Throws the
// provider's error, or a missing parameter's.
std::string Statement(const CliOptions& options, Database& database) {
  std::string sql;
  if (options.sql) {
    sql = UserStatement(options);
  } else if (!options.params.empty()) {
    sql = SavedQuerySql(database, *options.table);
    if (sql.empty()) throw _com_error(JET_E_NOTABLE, NoSuchQueryCause(*options.table));
  } else {
    return TableStatement(options.fields, *options.table);
  }
  std::string missing;
  sql = BindParameters(sql, options.params, &missing);
  if (!missing.empty()) throw _com_error(JET_E_NOCOLUMN, MissingParameterCause(missing));
  if (options.sql || options.fields == "*") return sql;
  return "select " + options.fields + " from (" + sql + ")";
}

// Jet asks for a value for any bracketed name a saved query does not know: the
// engine's "no such column" for one of its own bracketed names is a parameter left
// without a value, and is said so. In a statement typed with --sql it is more
// likely a typo, unless the user is giving parameters.
_com_error AsParameter(const _com_error& e, const CliOptions& options, Database& database) {
  if (e.Error() != JET_E_NOCOLUMN || e.Description().empty()) return e;
  if (options.sql && options.params.empty()) return e;
  std::string sql;
  try {
    sql = options.sql ? (*options.sql == "-" ? std::string() : *options.sql) : SavedQuerySql(database, *options.table);
  } catch (const _com_error&) {
    return e;
  }
  for (const std::string& name : BracketedNames(sql)) {
    std::string dotted = name;
    for (char& c : dotted)
      if (c == '!') c = '.';
    if (NoSuchColumnCause(name) == e.Description() || NoSuchColumnCause(dotted) == e.Description())
      return _com_error(e.Error(), MissingParameterCause(name));
  }
  return e;
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
  std::string statement;
  try {
    statement = Statement(options, database);
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
    ReportLine(ExportFailureLine(options.file, target, run, AsParameter(e, options, database)));
    return kFailed;
  }
  if (!options.format.strict) ReportReplaced(run.ReplacedCharacters(), options.format.charset);
  return kDone;
}
