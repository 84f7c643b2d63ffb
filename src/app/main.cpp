// The framework's entry point: theApp is constructed already; AfxWinMain opens the
// display and calls its InitInstance.
#include <clocale>

#include "platform/mfc/WinApp.h"

int main(int argc, char** argv) {
  // The user's locale before anything else: it names the export file's character
  // set (UTF-8 on a UTF-8 desktop, GBK under C/POSIX) and the language of the
  // system error texts. Neither the C runtime nor the toolkit takes it on its own.
  // A locale of which one part is not installed is refused whole; its character
  // set alone still tells how the user's text is written.
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_CTYPE, "");
  return AfxWinMain(argc, argv);
}
