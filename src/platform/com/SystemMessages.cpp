// The system message texts of the codes this program raises, as Windows words
// them, in the program's language (each ends in CR LF, as FormatMessage returns
// them). A code not listed has no system text, so _com_error falls back to its
// "IDispatch error #" or "Unknown error" format; that is how the Jet and ADO codes
// read on Windows.
#include "platform/com/SystemMessages.h"

#include "platform/com/ComError.h"
#include "platform/com/Translate.h"

namespace {

struct MessageText {
  uint32_t code;
  const char* text;  // Windows' Chinese wording, without the line break
};

constexpr MessageText kTexts[] = {
  {0x80004001u, N_("未实现")},
  {0x80004002u, N_("不支持此接口")},
  {0x80004003u, N_("无效指针")},
  {0x80004005u, N_("未指定的错误")},
  {0x80040154u, N_("没有注册类")},
  {0x800401F0u, N_("尚未调用 CoInitialize。")},
  {0x800401F3u, N_("无效的类字符串")},
  {0x80020004u, N_("找不到参数。")},
  {0x80020005u, N_("类型不匹配。")},
  {0x8002000Au, N_("溢出。")},
  // Jet's error 3354, which its provider words itself rather than leave to the
  // "IDispatch error #3354" fallback.
  {0x80040F1Au, N_("此子查询最多只能返回一条记录。")},
  // Win32 facility: what the errno mapping of Errno.h produces.
  {0x80070001u, N_("函数不正确。")},
  {0x80070002u, N_("系统找不到指定的文件。")},
  {0x80070003u, N_("系统找不到指定的路径。")},
  {0x80070004u, N_("系统无法打开文件。")},
  {0x80070005u, N_("拒绝访问。")},
  {0x80070006u, N_("句柄无效。")},
  {0x80070008u, N_("存储空间不足，无法处理此命令。")},
  {0x8007000Eu, N_("存储空间不足，无法完成此操作。")},
  {0x80070013u, N_("介质受写入保护。")},
  {0x8007001Du, N_("系统无法写入指定的设备。")},
  {0x8007001Eu, N_("系统无法从指定的设备上读取。")},
  {0x8007001Fu, N_("连到系统上的设备没有发挥作用。")},
  {0x80070020u, N_("另一个程序正在使用此文件，进程无法访问。")},
  {0x80070050u, N_("文件存在。")},
  {0x80070057u, N_("参数错误。")},
  {0x80070070u, N_("磁盘空间不足。")},
  {0x8007007Bu, N_("文件名、目录名或卷标语法不正确。")},
  {0x800700CEu, N_("文件名或扩展名太长。")},
  {0x800700DFu, N_("文件大小超出允许的限制，无法保存。")},
  {0x8007045Du, N_("由于 I/O 设备错误，无法运行此项请求。")},
  {0x80070459u, N_("在多字节的目标代码页中，没有此 Unicode 字符可以映射到的字符。")},
  {0x80070781u, N_("系统无法解析文件名。")},
};

SystemTextSource g_testSource = nullptr;

}  // namespace

void SetSystemTextSourceForTest(SystemTextSource source) { g_testSource = source; }

std::string SystemMessageText(HRESULT hr) {
  if (g_testSource) {
    std::string text = g_testSource(hr);
    if (!text.empty()) return text;
  }
  const uint32_t code = static_cast<uint32_t>(hr);
  for (const MessageText& t : kTexts) {
    if (t.code == code) return std::string(_(t.text)) + "\r\n";
  }
  return std::string();
}
