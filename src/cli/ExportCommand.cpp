// TABLE or --sql: one export, the window's run with the command line's options, to
// standard output or to the file -o names.
#include <unistd.h>
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
#include "platform/com/Translate.h"

namespace {

// The statement to run: the table's, as the window builds it, or the user's own
// exactly as written ("-": all of standard input).
std::string Statement(const CliOptions& options) {
  if (!options.sql) return TableStatement(options.fields, *options.table);
  if (*options.sql != "-") return *options.sql;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, stdin)) > 0;) text.append(buf, n);
  const std::string& charset = options.format.charset;
  return ArgumentToUtf8(text, charset.empty() ? TextEncoder::OutputCharset() : charset);
}

}  // namespace

int ExportOne(const CliOptions& options) {
  const std::string target = options.output.value_or(std::string());
  // Truncating the open database would destroy it: refused before anything runs.
  if (!target.empty() && IsSameFile(target, options.file)) {
    ReportLine(Format("%s：%s", target.c_str(), _("目标文件就是源数据库文件，不能覆盖！")));
    return kFailed;
  }
  const std::string statement = Statement(options);

  ExportRun run(options.format, target, options.file);
  if (target.empty()) run.ToDescriptor(STDOUT_FILENO);
  if (options.preview) run.LimitRecords(4);
  std::optional<Database> opened;
  try {
    opened.emplace(options.file);
  } catch (const _com_error& e) {
    // No record was being read yet: the line names the file and the reason.
    ReportLine(Format(_("%s：%s。"), options.file.c_str(), FailureWords(e).c_str()));
    return kFailed;
  }
  Database& database = *opened;
  try {
    const bool progress = !options.quiet && Progress::Possible();
    std::optional<uint64_t> total;
    if (progress && options.table) total = RecordedRows(database.Connection()).Of(*options.table);
    Progress line(progress, std::string(), total);
    if (progress) run.OnRecords([&line](long records) { line.Update(records); });
    _RecordsetPtr recordset = database.NewRecordset();
    run.Run(database.Connection(), recordset, statement);
    recordset->Close();
    database.Close();
  } catch (const _com_error& e) {
    ReportLine(ExportFailureLine(options.file, target, run, e));
    return kFailed;
  }
  return kDone;
}
