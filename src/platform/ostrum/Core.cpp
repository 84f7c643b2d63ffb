#include "platform/ostrum/Core.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/ostrum/ConfigText.h"

std::function<bool(const std::string&)> CCore::beforeRenameHook;

namespace {

bool ReadWholeFile(const std::string& path, std::string* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) { ::close(fd); return false; }
  char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) { ::close(fd); return false; }
    if (n == 0) break;
    out->append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The file a save must replace: a store that is a symbolic link (a dotfiles folder
// kept elsewhere) is updated where the link points, and the link stays. Bounded,
// so a loop of links ends as the system's own lookup would (ELOOP).
std::string LinkTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    std::filesystem::path to = std::filesystem::read_symlink(path, ec);
    if (ec) return path;
    if (to.is_relative()) to = std::filesystem::path(path).parent_path() / to;
    path = to.string();
  }
  return path;
}

// The mode the saved file gets: the one the store had, else what a new file gets
// from open(2) with 0644 (others may read their settings, as ~/.config files go).
mode_t SavedMode(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0644 & ~mask;
}

int ParseInt(const std::string& s) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return 0;
  return v;
}

}  // namespace

CCore::CCore() = default;

std::string CCore::defaultFilePath() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') {  // the XDG rules ignore a relative value
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : "";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/kelvane/kelvane.ini";
}

void CCore::autoFileConfig() { bindFile(defaultFilePath()); }

void CCore::bindFile(const std::string& path) {
  m_path = path;
  load();
}

void CCore::load() {
  m_values.clear();
  std::string text;
  if (!m_path.empty() && ReadWholeFile(m_path, &text)) m_values = ostrum::ParseConfigText(text);
}

// The new contents go to a temporary file in the same folder (so the rename
// stays on one file system and is atomic), flushed to disk before the rename
// replaces the old file.
void CCore::save() {
  if (m_path.empty()) return;
  const std::string file = LinkTarget(m_path);
  std::filesystem::path target(file);
  std::error_code ec;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);

  std::string tmpl = file + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return;
  std::string tempPath(name.data());
  // mkstemp makes the file 0600; a save must not change who may read the store.
  bool ok = ::fchmod(fd, SavedMode(file)) == 0;
  ok = ok && WriteAll(fd, ostrum::FormatConfigText(m_values)) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && beforeRenameHook && !beforeRenameHook(tempPath)) return;  // simulated crash
  if (!ok || ::rename(tempPath.c_str(), file.c_str()) != 0) ::unlink(tempPath.c_str());
}

int CCore::getConfigB(const char* key) { return getConfigInt(key); }

int CCore::getConfigInt(const char* key) {
  if (!key) return 0;
  auto it = m_values.find(key);
  return it == m_values.end() ? 0 : ParseInt(it->second);
}

std::string CCore::getConfigStr(const char* key) {
  if (!key) return std::string();
  auto it = m_values.find(key);
  return it == m_values.end() ? std::string() : it->second;
}

void CCore::saveConfigB(std::string key, int v) { saveConfigInt(std::move(key), v); }

void CCore::saveConfigInt(std::string key, int v) { saveConfigStr(std::move(key), std::to_string(v)); }

void CCore::saveConfigStr(std::string key, std::string value) {
  if (key.empty()) return;  // an empty key has no line form
  m_values[std::move(key)] = std::move(value);
  save();
}

int CCore::isFileExist(std::string path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
}
