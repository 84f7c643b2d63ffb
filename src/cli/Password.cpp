#include "cli/Password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include "cli/Report.h"
#include "platform/com/ComError.h"
#include "platform/com/Translate.h"

namespace {

std::optional<std::string> g_passwordFile;

// Overwrites a password's bytes before its string goes.
void Wipe(std::string& s) {
  volatile char* p = s.data();
  for (size_t i = 0; i < s.size(); ++i) p[i] = 0;
  s.clear();
}

// The first line of fd, without "\n" or "\r\n". False on a read error.
bool ReadLine(int fd, std::string* line) {
  char c;
  for (;;) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0 || c == '\n') break;
    line->push_back(c);
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

[[noreturn]] void RefuseUnreadableFile(const std::string& path, int err) {
  throw _com_error(JET_E_PASSWORD, Printf(_("无法读取密码文件 %s：%s"), path.c_str(), std::strerror(err)));
}

std::string FromPasswordFile(const std::string& path) {
  std::string line;
  if (path == "-") {
    if (!ReadLine(STDIN_FILENO, &line)) RefuseUnreadableFile(_("标准输入"), errno);
    return line;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RefuseUnreadableFile(path, errno);
  const bool read = ReadLine(fd, &line);
  const int err = errno;
  close(fd);
  if (!read) RefuseUnreadableFile(path, err);
  return line;
}

// The terminal's settings while the prompt has its echo off, for the signal
// handler to put back before the program ends.
termios g_saved;
int g_ttyFd = -1;
struct sigaction g_oldInt, g_oldTerm;

void OnSignalAtPrompt(int sig) {
  tcsetattr(g_ttyFd, TCSAFLUSH, &g_saved);
  (void)!write(g_ttyFd, "\n", 1);
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
  raise(sig);  // the program's own ending of a stopped run
}

// A line typed on the terminal with its echo off; nothing when it cannot be asked.
std::optional<std::string> FromPrompt(const std::string& database) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
  const int fd = tty >= 0 ? tty : STDIN_FILENO;
  termios quiet;
  if (tcgetattr(fd, &g_saved) != 0) {
    if (tty >= 0) close(tty);
    return std::nullopt;
  }
  g_ttyFd = fd;
  struct sigaction at {};
  at.sa_handler = OnSignalAtPrompt;
  sigemptyset(&at.sa_mask);
  sigaction(SIGINT, &at, &g_oldInt);
  sigaction(SIGTERM, &at, &g_oldTerm);
  quiet = g_saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  // The echo goes off before the prompt shows: what is typed after it never shows.
  tcsetattr(fd, TCSANOW, &quiet);  // what was typed ahead is kept
  const std::string prompt = Printf(_("%s 的数据库密码："), database.c_str());
  (void)!write(tty >= 0 ? tty : STDERR_FILENO, prompt.data(), prompt.size());
  std::string line;
  const bool read = ReadLine(fd, &line);
  tcsetattr(fd, TCSAFLUSH, &g_saved);
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
  if (tty >= 0) close(tty);
  if (!read) return std::nullopt;
  return line;
}

std::optional<std::string> GivenPassword(const std::string& database) {
  if (g_passwordFile) return FromPasswordFile(*g_passwordFile);
  if (const char* env = std::getenv("KELVANE_PASSWORD")) return std::string(env);
  return FromPrompt(database);
}

}  // namespace

void SetPasswordFile(const std::string& path) { g_passwordFile = path; }

void OpenWithPassword(const std::string& database, const std::function<void(const std::string&)>& open) {
  try {
    open(std::string());
    return;
  } catch (const _com_error& e) {
    if (e.Error() != JET_E_PASSWORD) throw;
  }
  std::optional<std::string> password = GivenPassword(database);
  if (!password) {
    throw _com_error(JET_E_PASSWORD,
                     _("数据库受密码保护；请用 --password-file、KELVANE_PASSWORD 或在提示时输入密码"));
  }
  try {
    open(*password);
  } catch (const _com_error& e) {
    Wipe(*password);
    if (e.Error() != JET_E_PASSWORD) throw;
    throw _com_error(JET_E_PASSWORD, _("密码不正确"));
  }
  Wipe(*password);
}

std::string PasswordHelp() {
  return _("      --password-file 文件  受密码保护的数据库的密码：文件的第一行（“-”为标准输入）\n"
           "不给 --password-file 时，密码取自环境变量 KELVANE_PASSWORD，再取自终端上的提示（不回显）。\n"
           "没有选项直接接受密码：命令行会出现在 ps 和 shell 的历史里。\n");
}
