// The framework's entry point: theApp is constructed already; AfxWinMain opens the
// display and calls its InitInstance.
#include <clocale>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/ExportApp.h"
#include "platform/com/Translate.h"

int main(int argc, char** argv) {
  // The user's locale before anything else: it names the export file's character
  // set (UTF-8 on a UTF-8 desktop, GBK under C/POSIX) and the language of the
  // texts. Neither the C runtime nor the toolkit takes it on its own.
  // A locale of which one part is not installed is refused whole; its character
  // set alone still tells how the user's text is written.
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_CTYPE, "");
  // The language of the texts, before the toolkit starts (so that its own texts
  // follow the program's) and before --help is answered.
  ChooseLanguage(/*toolkit=*/true);
  // Before the display is opened: --help, --version and a line this program does
  // not take are answered at once, with or without a desktop.
  const CommandLine line = ParseCommandLine(argc, argv);
  const char* argv0 = argc > 0 ? argv[0] : nullptr;
  switch (line.action) {
    case CommandLine::Action::kHelp:
      std::fputs(CommandLineHelp(argv0).c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::kVersion:
      std::fputs("kelvane " KELVANE_VERSION "\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::kWrong:
      std::fprintf(stderr, "%s\n", CommandLineUsage(argv0).c_str());
      return 2;
    case CommandLine::Action::kRun:
      break;
  }
  theApp.m_strStartFile = line.file;
  return AfxWinMain(argc, argv);
}
