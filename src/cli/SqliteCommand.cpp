// --sqlite OUT.db FILE and --postgresql OUT.sql FILE: the whole database, with a
// progress line on a terminal and what did not come across whole on standard error.
#include <unistd.h>
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/Progress.h"
#include "cli/ExportFailure.h"
#include "cli/Report.h"
#include "export/FailureText.h"
#include "platform/com/Causes.h"
#include "export/TargetFile.h"
#include "migrate/PostgresqlWriter.h"
#include "migrate/SqliteWriter.h"
#include "platform/com/Translate.h"

namespace {

enum class Target { Sqlite, Postgresql };

int WriteWhole(const CliOptions& options, Target kind, const std::string& target) {
  const bool toStdout = kind == Target::Postgresql && target == "-";
  if (!toStdout && IsSameFile(target, options.file)) {
    ReportLine(Printf("%s：%s", target.c_str(), _("目标文件就是源数据库文件，不能覆盖！")));
    return kFailed;
  }
  std::optional<Database> opened;
  try {
    opened.emplace(options.file);
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    return kFailed;
  }
  const bool progress = !options.quiet && Progress::Possible(toStdout);
  std::optional<Progress> line;
  std::string current;
  migrate::WriteEvents events;
  events.onNotice = [](const std::string& text) { ReportLine(text); };
  if (progress) {
    events.onRows = [&](const std::string& table, long rows) {
      if (table != current) {
        line.reset();
        line.emplace(true, table, std::nullopt);
        current = table;
      }
      line->Update(rows);
    };
  }
  std::string stage = options.file;
  try {
    const migrate::DatabaseSchema schema = migrate::ReadSchema(opened->Connection());
    if (kind == Target::Sqlite) migrate::WriteSqliteDatabase(opened->Connection(), schema, target, events);
    else migrate::WritePostgresqlScript(opened->Connection(), schema, target, events);
    opened->Close();
  } catch (const TargetFileError& e) {
    line.reset();
    const char* file = toStdout ? _("标准输出") : target.c_str();
    if (e.Creating()) ReportLine(Printf(_("无法创建目标文件 %s：%s"), file, CauseText(e).c_str()));
    else ReportLine(Printf(_("写入 %s 失败：%s"), file, CauseText(e).c_str()));
    return kFailed;
  } catch (const _com_error& e) {
    line.reset();
    ReportLine(DatabaseFailureLine(stage, e));
    return kFailed;
  }
  return kDone;
}

}  // namespace

int WriteSqlite(const CliOptions& options) { return WriteWhole(options, Target::Sqlite, *options.sqlite); }
int WritePostgresql(const CliOptions& options) {
  return WriteWhole(options, Target::Postgresql, *options.postgresql);
}
