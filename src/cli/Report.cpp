#include "cli/Report.h"

#include <cstdarg>
#include <cstdio>
#include "cli/Progress.h"
#include "platform/com/Translate.h"

void ReportLine(const std::string& text) {
  Progress::ClearLine();  // a message never lands behind a progress line
  std::fprintf(stderr, "kelvane-export: %s\n", text.c_str());
}

void ReportReplaced(uint64_t characters, const std::string& charset) {
  if (characters == 0) return;
  if (characters == 1) {
    ReportLine(Printf(_("1 个字符无法以 %s 写出，已写为 ?"), charset.c_str()));
    return;
  }
  ReportLine(Printf(_("%llu 个字符无法以 %s 写出，已写为 ?"), static_cast<unsigned long long>(characters),
                    charset.c_str()));
}
