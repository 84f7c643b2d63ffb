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
  // The language of the texts, before the toolkit starts, so that its own texts
  // follow the program's.
  ChooseLanguage(/*toolkit=*/true);
  // Before the display is opened: a line this program does not take is answered
  // at once, with or without a desktop.
  std::optional<std::string> file = ParseCommandLine(argc, argv);
  if (!file) {
    std::fprintf(stderr, "%s\n", CommandLineUsage(argc > 0 ? argv[0] : nullptr).c_str());
    return 2;
  }
  theApp.m_strStartFile = *file;
  return AfxWinMain(argc, argv);
}
