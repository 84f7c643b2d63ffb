// The system message texts of the codes this program raises, as Windows words
// them (each ends in CR LF, as FormatMessage returns them). A code not listed has
// no system text, so _com_error falls back to its "IDispatch error #" or
// "Unknown error" format; that is how the Jet and ADO codes read on Windows.
#include "platform/com/SystemMessages.h"

#include <cstdlib>
#include <cstring>

#include "platform/com/ComError.h"

namespace {

struct MessageText {
  uint32_t code;
  const char* zh;
  const char* en;
};

constexpr MessageText kTexts[] = {
  {0x80004001u, "未实现\r\n", "Not implemented\r\n"},
  {0x80004002u, "不支持此接口\r\n", "No such interface supported\r\n"},
  {0x80004003u, "无效指针\r\n", "Invalid pointer\r\n"},
  {0x80004005u, "未指定的错误\r\n", "Unspecified error\r\n"},
  {0x80040154u, "没有注册类\r\n", "Class not registered\r\n"},
  {0x800401F0u, "尚未调用 CoInitialize。\r\n", "CoInitialize has not been called.\r\n"},
  {0x800401F3u, "无效的类字符串\r\n", "Invalid class string\r\n"},
  {0x80020004u, "找不到参数。\r\n", "Parameter not found.\r\n"},
  {0x80020005u, "类型不匹配。\r\n", "Type mismatch.\r\n"},
  {0x8002000Au, "溢出。\r\n", "Out of present range.\r\n"},
  // Jet's error 3354, which its provider words itself rather than leave to the
  // "IDispatch error #3354" fallback.
  {0x80040F1Au, "此子查询最多只能返回一条记录。\r\n", "At most one record can be returned by this subquery.\r\n"},
  // Win32 facility: what the errno mapping of Errno.h produces.
  {0x80070001u, "函数不正确。\r\n", "Incorrect function.\r\n"},
  {0x80070002u, "系统找不到指定的文件。\r\n", "The system cannot find the file specified.\r\n"},
  {0x80070003u, "系统找不到指定的路径。\r\n", "The system cannot find the path specified.\r\n"},
  {0x80070004u, "系统无法打开文件。\r\n", "The system cannot open the file.\r\n"},
  {0x80070005u, "拒绝访问。\r\n", "Access is denied.\r\n"},
  {0x80070006u, "句柄无效。\r\n", "The handle is invalid.\r\n"},
  {0x80070008u, "存储空间不足，无法处理此命令。\r\n",
   "Not enough storage is available to process this command.\r\n"},
  {0x8007000Eu, "存储空间不足，无法完成此操作。\r\n",
   "Not enough storage is available to complete this operation.\r\n"},
  {0x80070013u, "介质受写入保护。\r\n", "The media is write protected.\r\n"},
  {0x8007001Du, "系统无法写入指定的设备。\r\n", "The system cannot write to the specified device.\r\n"},
  {0x8007001Eu, "系统无法从指定的设备上读取。\r\n", "The system cannot read from the specified device.\r\n"},
  {0x8007001Fu, "连到系统上的设备没有发挥作用。\r\n", "A device attached to the system is not functioning.\r\n"},
  {0x80070020u, "另一个程序正在使用此文件，进程无法访问。\r\n",
   "The process cannot access the file because it is being used by another process.\r\n"},
  {0x80070050u, "文件存在。\r\n", "The file exists.\r\n"},
  {0x80070057u, "参数错误。\r\n", "The parameter is incorrect.\r\n"},
  {0x80070070u, "磁盘空间不足。\r\n", "There is not enough space on the disk.\r\n"},
  {0x8007007Bu, "文件名、目录名或卷标语法不正确。\r\n",
   "The filename, directory name, or volume label syntax is incorrect.\r\n"},
  {0x800700CEu, "文件名或扩展名太长。\r\n", "The filename or extension is too long.\r\n"},
  {0x800700DFu, "文件大小超出允许的限制，无法保存。\r\n",
   "The file size exceeds the limit allowed and cannot be saved.\r\n"},
  {0x8007045Du, "由于 I/O 设备错误，无法运行此项请求。\r\n",
   "The request could not be performed because of an I/O device error.\r\n"},
  {0x80070459u, "在多字节的目标代码页中，没有此 Unicode 字符可以映射到的字符。\r\n",
   "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
  {0x80070781u, "系统无法解析文件名。\r\n", "The name of the file cannot be resolved by the system.\r\n"},
};

SystemTextSource g_testSource = nullptr;

}  // namespace

void SetSystemTextSourceForTest(SystemTextSource source) { g_testSource = source; }

bool SystemMessagesInChinese() {
  // POSIX precedence: the first of these that is set and not empty decides.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::strncmp(v, "zh", 2) == 0;
  }
  return false;
}

std::string SystemMessageText(HRESULT hr) {
  if (g_testSource) {
    std::string text = g_testSource(hr);
    if (!text.empty()) return text;
  }
  const uint32_t code = static_cast<uint32_t>(hr);
  for (const MessageText& t : kTexts) {
    if (t.code == code) return SystemMessagesInChinese() ? t.zh : t.en;
  }
  return std::string();
}
