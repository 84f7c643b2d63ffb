// CCore: the program's settings store and its one file test.
//
// The store is a map from key to text, kept in one small UTF-8 file, one
// "key=value" a line. Flags and integers are kept as their decimal text. The
// program never checks a result: every failure reads as an empty store (0 or "")
// and a save that cannot reach the disk still updates the values in memory.
#pragma once
#include <functional>
#include <map>
#include <string>

class CCore {
 public:
  CCore();

  // Binds to $XDG_CONFIG_HOME/kelvane/kelvane.ini (~/.config/kelvane/kelvane.ini
  // when the variable is unset, empty or not absolute) and reads what it holds.
  void autoFileConfig();
  // Binds to an explicit file and reads it; what autoFileConfig does with its path.
  void bindFile(const std::string& path);
  // The file autoFileConfig binds to, from the environment of this moment.
  static std::string defaultFilePath();
  // The bound file, empty before a bind.
  const std::string& filePath() const { return m_path; }

  // A never-saved key, or a value that is no integer, reads 0 / "".
  int getConfigB(const char* key);
  int getConfigInt(const char* key);
  std::string getConfigStr(const char* key);

  // Each save rewrites the bound file whole: a temporary file beside it, then a
  // rename, so the file is always either the old one or the new one. The folder
  // is created when missing; a bound file that is a symbolic link is rewritten
  // where it points; the file keeps its mode (a new one: 0644 less the umask).
  void saveConfigB(std::string key, int v);
  void saveConfigInt(std::string key, int v);
  void saveConfigStr(std::string key, std::string value);

  // Non-zero for an existing regular file (a directory is no file).
  int isFileExist(std::string path);

  // Test hook, called with the temporary file's path after it is written and
  // before the rename; returning false abandons the save there, as a crash would.
  // Process-wide; tests set it and put back an empty function.
  static std::function<bool(const std::string& tempPath)> beforeRenameHook;

 private:
  void load();
  void save();

  std::string m_path;
  std::map<std::string, std::string> m_values;
};
