// The program's texts through the C library's gettext, with no toolkit: the
// command-line program shares it. Only two languages exist: the source texts
// (Chinese) and the English catalog, which every non-Chinese locale gets.
#include "platform/com/Translate.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

// glibc's count of catalog changes: raising it drops translations looked up before
// (gettext's cache does not know LANGUAGE changed).
extern "C" int _nl_msg_cat_cntr;

namespace {

constexpr const char* kDomain = "kelvane";

bool g_chosen = false;
bool g_english = false;
// The command line speaks English under C/POSIX; the window speaks the Chinese its
// texts were written in there.
bool g_cLocaleIsChinese = true;
std::optional<std::string> g_userLanguage;  // LANGUAGE before this program set it
std::string g_testFolder;

bool IsCLocale(const std::string& name) {
  return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// "zh_TW.UTF-8@x" -> "zh_TW": the part of a locale name LANGUAGE takes.
std::string LanguagePart(const std::string& name) {
  return name.substr(0, name.find_first_of(".@"));
}

std::string EnvOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The locale that names the messages' language, by POSIX precedence.
std::string MessagesLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string v = EnvOrEmpty(name);
    if (!v.empty()) return v;
  }
  return std::string();
}

// The user's first choice of language: LANGUAGE's first entry, which gettext
// honours before the locale except under C/POSIX; else the locale.
std::string UserLanguage() {
  const std::string locale = MessagesLocale();
  if (IsCLocale(locale)) return locale;
  const std::string list = g_userLanguage ? *g_userLanguage : EnvOrEmpty("LANGUAGE");
  size_t start = list.find_first_not_of(':');
  if (start == std::string::npos) return locale;
  return list.substr(start, list.find(':', start) - start);
}

bool HasCatalog(const std::string& folder) {
  return !folder.empty() && access((folder + "/en/LC_MESSAGES/kelvane.mo").c_str(), R_OK) == 0;
}

// Where the catalogs are: beside the program in the build tree (build/locale), in
// the installation the program runs from (bin/../share/locale, wherever it was
// moved to), else where the build installs them.
std::string CatalogFolder() {
  if (!g_testFolder.empty()) return g_testFolder;
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    std::string dir(buf, static_cast<size_t>(n));
    dir.erase(dir.find_last_of('/'));
    for (const std::string& folder : {dir + "/locale", dir + "/../share/locale"}) {
      if (HasCatalog(folder)) return folder;
    }
  }
  return KELVANE_LOCALEDIR;
}

}  // namespace

bool LanguageIsChinese() {
  const std::string language = UserLanguage();
  return (g_cLocaleIsChinese && IsCLocale(language)) || language.rfind("zh", 0) == 0;
}

void ChooseLanguage(bool toolkit) {
  if (!g_userLanguage) g_userLanguage = EnvOrEmpty("LANGUAGE");
  const std::string language = UserLanguage();
  g_english = !LanguageIsChinese();
  // The C library reads LANGUAGE for every domain, the toolkit's too: English
  // outside Chinese (the locale's own English first, as en_GB); for a toolkit, under
  // C/POSIX, the Chinese the texts stand in. Not for a program without one: there
  // the C library's own messages (strerror) would come in Chinese, which an ASCII
  // character set turns into question marks.
  if (!g_english && !toolkit) {
    std::string restored = *g_userLanguage;
    if (restored.empty()) unsetenv("LANGUAGE");
    else setenv("LANGUAGE", restored.c_str(), 1);
  } else {
    std::string wanted;
    if (g_english) {
      wanted = language.rfind("en", 0) == 0 ? LanguagePart(language) + ":en" : "en";
    } else {
      wanted = IsCLocale(language) ? "zh_CN" : LanguagePart(language);
    }
    setenv("LANGUAGE", wanted.c_str(), 1);
    // Under a C messages locale (C/POSIX, or a locale that is not installed) the
    // C library ignores LANGUAGE; C.UTF-8, always there, does not.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (!messages || IsCLocale(messages)) std::setlocale(LC_MESSAGES, "C.UTF-8");
  }
  bindtextdomain(kDomain, CatalogFolder().c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");  // the program's texts are UTF-8 in any locale
  ++_nl_msg_cat_cntr;
  g_chosen = true;
}

void ChooseCommandLineLanguage() {
  g_cLocaleIsChinese = false;
  ChooseLanguage(false);
}

const char* Translate(const char* source) {
  if (!g_chosen || !g_english || !source || !*source) return source;
  return dgettext(kDomain, source);
}

void SetCatalogFolderForTest(const char* folder) { g_testFolder = folder ? folder : ""; }
