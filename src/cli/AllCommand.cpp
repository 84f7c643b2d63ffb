// --all DIR: every user table of the database into DIR/<table>.txt (.csv with
// --csv), over one connection. A table that fails is reported and the others
// still run; the status then says that one failed. The files are waited for on
// disk once, together, at the end: one flush a file would cost more than the run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <vector>
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Progress.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "cli/SafeFileName.h"
#include "cli/TableRows.h"
#include "db/UserTables.h"
#include "export/ExportRun.h"
#include "export/FailureText.h"
#include "export/TableStatement.h"
#include "platform/com/Errno.h"
#include "platform/com/Translate.h"

int ExportAll(const CliOptions& options) {
  const std::string& dir = *options.allDir;
  // The folder is made when missing (not its parents: a mistyped path is not built).
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    const _com_error e(HResultFromErrno(errno == ENOENT ? ENOTDIR : errno));
    ReportLine(Format(_("无法创建目录 %s：%s。"), dir.c_str(), FailureReason(e).c_str()));
    return kFailed;
  }
  // Opened before the first file: the flush at the end reports every failure to
  // write to this file system since then.
  const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string extension = options.format.csv ? ".csv" : ".txt";
  int status = kDone;
  try {
    Database database(options.file);
    std::vector<std::string> tables;
    {
      _RecordsetPtr schema;
      ListUserTables(database.Connection(), schema, [&](const std::string& name) { tables.push_back(name); });
      schema->Close();
    }
    const bool progress = !options.quiet && Progress::Possible();
    std::optional<RecordedRows> rows;
    if (progress) rows.emplace(database.Connection());

    SafeFileNames names;
    for (const std::string& table : tables) {
      const std::string target = dir + "/" + names.For(table, extension);
      ExportRun run(options.format, target, options.file);
      run.DeferFlush();
      if (options.preview) run.LimitRecords(4);
      Progress line(progress, table + ": ", rows ? rows->Of(table) : std::nullopt);
      if (progress) run.OnRecords([&line](long records) { line.Update(records); });
      try {
        _RecordsetPtr recordset = database.NewRecordset();
        run.Run(database.Connection(), recordset, TableStatement(options.fields, table));
        recordset->Close();
      } catch (const _com_error& e) {
        ReportLine(ExportFailureLine(Format(_("%s 的数据表 %s"), options.file.c_str(), table.c_str()), target, run, e));
        status = kFailed;
      }
    }
    database.Close();
  } catch (const _com_error& e) {
    ReportLine(Format(_("%s：%s。"), options.file.c_str(), FailureWords(e).c_str()));
    status = kFailed;
  }
  if (folder >= 0) {
    if (syncfs(folder) != 0) {
      const _com_error e(HResultFromErrno(errno));
      ReportLine(Format(_("写入目录 %s 失败：%s。"), dir.c_str(), FailureReason(e).c_str()));
      status = kFailed;
    }
    close(folder);
  }
  return status;
}
