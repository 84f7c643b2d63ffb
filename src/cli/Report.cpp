#include "cli/Report.h"

#include <cstdarg>
#include <cstdio>
#include "cli/Progress.h"
#include "platform/com/Translate.h"

void ReportLine(const std::string& text) {
  Progress::ClearLine();  // a message never lands behind a progress line
  std::fprintf(stderr, "kelvane-export: %s\n", text.c_str());
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

void ReportReplaced(uint64_t characters, const std::string& charset) {
  if (characters == 0) return;
  if (characters == 1) {
    ReportLine(Format(_("1 个字符无法以 %s 写出，已写为 ?"), charset.c_str()));
    return;
  }
  ReportLine(Format(_("%llu 个字符无法以 %s 写出，已写为 ?"), static_cast<unsigned long long>(characters),
                    charset.c_str()));
}
