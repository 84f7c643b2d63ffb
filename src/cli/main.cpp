// kelvane-export: the export of the window's "开始导出" from a shell, for scripts
// and whole databases, with no window system.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include "cli/Commands.h"
#include "cli/Locale.h"
#include "cli/Options.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "cli/Signals.h"
#include "cli/Usage.h"
#include "platform/com/Translate.h"

namespace {

// --help and --version: a standard output that refuses them (/dev/full, a closed
// pipe's end) is a failure the user is told of.
int PrintTo(FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
  if (std::fflush(stream) == 0 && !std::ferror(stream)) return kDone;
  ReportLine(Printf(_("无法写入标准输出：%s"), std::strerror(errno)));
  return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  // The user's locale first: it names the output's character set (UTF-8 where it
  // names none) and the language of the messages (English but under zh_*).
  const std::string charset = ChooseCommandLineLocale();
  InstallSignalHandlers();

  const ParsedCommandLine parsed = ParseOptions(argc, argv, charset);
  if (!parsed.error.empty()) {
    ReportLine(parsed.error);
    std::fputs(ShortUsage().c_str(), stderr);
    return kUsage;
  }
  const CliOptions& options = parsed.options;
  if (options.help) return PrintTo(stdout, FullHelp());
  if (options.version) return PrintTo(stdout, VersionText());
  if (options.salvage) StartSalvage();
  int status;
  if (options.list) status = options.queries ? ListQueries(options) : ListTables(options);
  else if (options.showSql) status = ShowSql(options);
  else if (options.describe) status = DescribeTables(options);
  else if (options.sqlite) status = WriteSqlite(options);
  else if (options.postgresql) status = WritePostgresql(options);
  else if (options.allDir) status = ExportAll(options);
  else status = ExportOne(options);
  return FinishSalvage(options, status);
}
