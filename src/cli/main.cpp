// kelvane-export: the export of the window's "开始导出" from a shell, for scripts
// and whole databases, with no window system.
#include <clocale>
#include <cstdio>
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/Report.h"
#include "cli/Signals.h"
#include "cli/Usage.h"
#include "platform/com/Translate.h"

namespace {

int PrintTo(FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
  return std::fflush(stream) == 0 ? kDone : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  // The user's locale first, as the window takes it: it names the output's
  // character set (GBK under C/POSIX) and the language of the messages.
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_CTYPE, "");
  ChooseLanguage();
  InstallSignalHandlers();

  const ParsedCommandLine parsed = ParseOptions(argc, argv);
  if (!parsed.error.empty()) {
    ReportLine(parsed.error);
    PrintTo(stderr, ShortUsage());
    return kUsage;
  }
  const CliOptions& options = parsed.options;
  if (options.help) return PrintTo(stdout, FullHelp());
  if (options.version) return PrintTo(stdout, VersionText());
  if (options.list) return ListTables(options);
  if (options.describe) return DescribeTables(options);
  if (options.sqlite) return WriteSqlite(options);
  if (options.postgresql) return WritePostgresql(options);
  if (options.allDir) return ExportAll(options);
  return ExportOne(options);
}
