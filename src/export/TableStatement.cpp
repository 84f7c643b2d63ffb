#include "export/TableStatement.h"

namespace {

bool IsPlainWord(const std::string& name) {
  if (name.empty()) return false;
  if (name[0] >= '0' && name[0] <= '9') return false;
  for (unsigned char c : name) {
    const bool plain = c >= 0x80 || c == '_' || (c >= '0' && c <= '9') ||
                       (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!plain) return false;
  }
  return true;
}

}  // namespace

std::string TableNameInStatement(const std::string& table) {
  return IsPlainWord(table) ? table : "[" + table + "]";
}

std::string TableStatement(const std::string& fields, const std::string& table) {
  return "select " + fields + " from " + TableNameInStatement(table);
}

std::string TablePreviewStatement(const std::string& table) {
  return "select top 4 * from " + TableNameInStatement(table);
}
