#include "app/CommandLine.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/com/Translate.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A local file:// URI to its path, %-escapes decoded to the bytes they stand for
// ("file:///a%20b.mdb", "file://localhost/a.mdb"). Anything else is taken as a path.
std::string PathOfArgument(const std::string& arg) {
  std::string rest;
  if (arg.rfind("file:///", 0) == 0) {
    rest = arg.substr(7);
  } else if (arg.rfind("file://localhost/", 0) == 0) {
    rest = arg.substr(16);
  } else {
    return arg;
  }
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    int hi = 0, lo = 0;
    if (rest[i] == '%' && i + 2 < rest.size() && (hi = HexValue(rest[i + 1])) >= 0 &&
        (lo = HexValue(rest[i + 2])) >= 0) {
      path += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

// Relative to the folder the program was started in; "./" steps dropped so the
// path edit shows the plain name. A path that climbs ("../x.mdb") takes its folder's
// real name, as ".." means the parent of the real folder, whatever links led there.
std::string Absolute(std::string path) {
  while (path.rfind("./", 0) == 0) path.erase(0, 2);
  if (path.empty()) return path;
  if (path[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;  // the folder is gone: the file test says so
    path = std::string(cwd) + (cwd[1] ? "/" : "") + path;
  }
  const size_t slash = path.find_last_of('/');
  if (("/" + path.substr(0, slash) + "/").find("/../") == std::string::npos) return path;
  std::unique_ptr<char, decltype(&std::free)> folder(realpath(path.substr(0, slash).c_str(), nullptr),
                                                     &std::free);
  if (!folder) return path;
  return std::string(folder.get()) + (folder.get()[1] ? "/" : "") + path.substr(slash + 1);
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  bool optionsEnd = false;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnd && std::strcmp(arg, "--") == 0) {
      optionsEnd = true;
      continue;
    }
    if (!optionsEnd && std::strcmp(arg, "--help") == 0) return {CommandLine::Action::kHelp, ""};
    if (!optionsEnd && std::strcmp(arg, "--version") == 0) return {CommandLine::Action::kVersion, ""};
    if ((!optionsEnd && arg[0] == '-') || arg[0] == '\0' || ++files > 1) {
      return {CommandLine::Action::kWrong, ""};
    }
    line.file = Absolute(PathOfArgument(arg));
  }
  return line;
}

std::string CommandLineUsage(const char* argv0) {
  const char* slash = argv0 ? std::strrchr(argv0, '/') : nullptr;
  std::string name = slash ? slash + 1 : (argv0 && *argv0 ? argv0 : "kelvane");
  return "usage: " + name + " [FILE.mdb | FILE.accdb]";
}

std::string CommandLineHelp(const char* argv0) {
  return CommandLineUsage(argv0) + "\n" +
         _("打开导出窗口，把 Access 数据库（.mdb、.accdb）中一个表的记录或一条 SQL 语句的结果导出为文本文件。\n"
           "给出文件时，窗口打开时即选中该文件并列出其中的表。") +
         "\n\n" +
         _("      --help      显示本帮助并退出\n"
           "      --version   显示版本并退出\n") +
         "\n" + _("不开窗口，从命令行导出：kelvane-export --help") + "\n";
}
