#include "cli/Locale.h"

#include <langinfo.h>
#include <strings.h>
#include <clocale>
#include <cstdlib>
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

namespace {

bool IsPlainAscii(const char* cs) {
  return strcasecmp(cs, "ANSI_X3.4-1968") == 0 || strcasecmp(cs, "ASCII") == 0 ||
         strcasecmp(cs, "US-ASCII") == 0;
}

// The locale that names the character set, by POSIX precedence.
std::string CtypeLocaleName() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return v;
  }
  return std::string();
}

// "de_DE.UTF-8@euro" -> "UTF-8"; empty when the name gives none.
std::string CharsetOfName(const std::string& name) {
  const size_t dot = name.find('.');
  if (dot == std::string::npos) return std::string();
  return name.substr(dot + 1, name.find('@', dot) - dot - 1);
}

}  // namespace

std::string ChooseCommandLineLocale() {
  const bool installed = std::setlocale(LC_ALL, "") != nullptr;
  if (!installed) std::setlocale(LC_CTYPE, "");
  ChooseCommandLineLanguage();
  const char* codeset = nl_langinfo(CODESET);
  if (installed && codeset && *codeset && !IsPlainAscii(codeset)) return codeset;
  // C, POSIX, an unset locale or a missing one: its name's set when it gives one
  // that can be written, else UTF-8, never the window's GBK.
  const std::string named = CharsetOfName(CtypeLocaleName());
  if (!named.empty() && !IsPlainAscii(named.c_str()) && TextEncoder::KeepsAscii(named)) return named;
  if (std::setlocale(LC_CTYPE, nullptr) && IsPlainAscii(nl_langinfo(CODESET))) std::setlocale(LC_CTYPE, "C.UTF-8");
  return "UTF-8";
}
