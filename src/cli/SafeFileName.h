// A table's name as the name of its file in a folder: what the file systems a
// folder may live on (Linux, and a FAT or Windows share) cannot hold becomes '_'.
#pragma once
#include <set>
#include <string>

class SafeFileNames {
 public:
  // The file name for `table` with `extension` (".txt"): '/' and '\', the
  // characters Windows refuses (: * ? " < > |) and control characters are '_', a
  // leading '.' too (no hidden file, never "." or ".."); a name already handed out
  // (two tables differing only there, or only in case) gets "_2", "_3", ...
  std::string For(const std::string& table, const std::string& extension);

 private:
  std::set<std::string> m_used;  // in ASCII lower case
};
