// --all DIR: every user table of the database into DIR/<table>.txt (.csv with
// --csv, .jsonl with --json), over one connection, with one line on standard
// output for each: TABLE<TAB>FILE<TAB>RECORDS. DIR is checked before any table.
// Each file is written under a temporary name and renamed into place, so a symlink
// in DIR is never followed and a table that fails leaves no file; it is reported,
// the others still run, and the status then says that one failed. The files are
// waited for on disk once, together, at the end: one flush a file would cost more
// than the run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Progress.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "cli/SafeFileName.h"
#include "cli/Signals.h"
#include "cli/TableRows.h"
#include "db/UserTables.h"
#include "export/ExportRun.h"
#include "export/TableStatement.h"
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

namespace {

// Makes DIR when missing (not its parents: a mistyped path is not built) and
// checks that files can be made in it. The reason it cannot, or empty.
std::string PrepareFolder(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) return Printf(_("%s: 不是目录"), dir.c_str());
  } else if (mkdir(dir.c_str(), 0777) != 0) {
    return Printf(_("无法创建目录 %s：%s"), dir.c_str(), std::strerror(errno));
  }
  if (access(dir.c_str(), W_OK | X_OK) != 0)
    return Printf(_("无法在目录 %s 中写入：%s"), dir.c_str(), std::strerror(errno));
  return std::string();
}

// Access's own work tables (~TMPCLP…, ~sq_…) are no user tables.
bool IsHiddenWorkTable(const std::string& name) { return !name.empty() && name[0] == '~'; }

std::string Extension(const TextFormat& format) {
  return format.json ? ".jsonl" : format.csv ? ".csv" : ".txt";
}

}  // namespace

int ExportAll(const CliOptions& options) {
  const std::string& dir = *options.allDir;
  const bool existed = access(dir.c_str(), F_OK) == 0;
  const std::string problem = PrepareFolder(dir);
  if (!problem.empty()) {
    ReportLine(problem);
    return kFailed;
  }
  // Opened before the first file: the flush at the end reports every failure to
  // write to this file system since then.
  const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int status = kDone;
  uint64_t replaced = 0;
  try {
    Database database(options.file);
    std::vector<std::string> tables;
    {
      _RecordsetPtr schema;
      ListUserTables(database.Connection(), schema, [&](const std::string& name) {
        if (!IsHiddenWorkTable(name)) tables.push_back(name);
      });
      schema->Close();
    }
    const bool progress = !options.quiet && Progress::Possible(false);
    std::optional<RecordedRows> rows;
    if (progress) rows.emplace(database.Connection());
    SafeFileNames names;
    TextEncoder manifestText(options.format.charset);
    for (const std::string& table : tables) {
      const std::string name = names.For(table, Extension(options.format));
      const std::string target = dir + "/" + name;
      // Beside the target, in the same folder, so that the rename is atomic.
      const std::string temporary = dir + "/." + name + ".part";
      unlink(temporary.c_str());
      RemoveOnSignal(temporary.c_str());
      ExportRun run(options.format, temporary, options.file);
      run.DeferFlush();
      run.NameTable(table);
      if (options.limit) run.LimitRecords(*options.limit);
      bool done = false;
      {
        Progress line(progress, table + ": ", rows ? rows->Of(table) : std::nullopt);
        if (progress) run.OnRecords([&line](long records) { line.Update(records); });
        try {
          _RecordsetPtr recordset = database.NewRecordset();
          run.Run(database.Connection(), recordset, TableStatement(options.fields, table));
          recordset->Close();
          done = true;
        } catch (const _com_error& e) {
          // A described cause names the table (the run was told it); a general one
          // is told which table it met.
          const std::string source = e.Description().empty()
                                         ? Printf(_("%s，表“%s”"), options.file.c_str(), table.c_str())
                                         : options.file;
          ReportLine(ExportFailureLine(source, target, run, e));
          status = kFailed;
        }
      }
      replaced += run.ReplacedCharacters();
      if (done && rename(temporary.c_str(), target.c_str()) != 0) {
        ReportLine(Printf(_("无法把 %s 改名为 %s：%s"), temporary.c_str(), target.c_str(), std::strerror(errno)));
        status = kFailed;
        done = false;
      }
      if (!done) unlink(temporary.c_str());
      RemoveOnSignal(nullptr);
      if (!done) continue;
      std::string manifest;
      manifestText.Append(table + "\t" + target + "\t" + std::to_string(run.RecordLines()) + "\n", &manifest);
      std::fputs(manifest.c_str(), stdout);
      std::fflush(stdout);
    }
    database.Close();
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    status = kFailed;
  }
  if (folder >= 0) {
    if (syncfs(folder) != 0) {
      ReportLine(Printf(_("写入目录 %s 失败：%s"), dir.c_str(), std::strerror(errno)));
      status = kFailed;
    }
    close(folder);
  }
  // A folder made for a database that could not be read is not left behind.
  if (!existed && status != kDone) rmdir(dir.c_str());  // only when empty
  if (std::ferror(stdout)) status = kFailed;
  if (!options.format.strict) ReportReplaced(replaced, options.format.charset);
  return status;
}
